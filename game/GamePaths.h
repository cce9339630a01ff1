// Paths inside the game folder: the folder text followed directly by a fixed
// suffix that begins with a backslash. Nothing is inserted or removed, so a
// folder ending in a backslash gives a doubled one, which Windows accepts.
#pragma once

#include <string>

inline constexpr char kGameRegistryKey[] = "SOFTWARE\\Infogrames\\Master of Orion III";
inline constexpr char kGameRegistryValue[] = "Program Location";
inline constexpr char kGameCommandLine[] = "Moo3.exe";
// The game folder buffer: 255 characters and the terminator.
inline constexpr unsigned kGameFolderSize = 256;

std::string GamePath(const char* gameFolder, const char* suffix);
