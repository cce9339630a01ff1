// Finding the game's installation folder.
#pragma once

#include "game/GamePaths.h"

// Reads the folder from the value "Program Location" of `keyText` under
// HKEY_LOCAL_MACHINE into `folder` (kGameFolderSize bytes, always
// terminated). Returns false when the key or value is absent, empty or too
// long for the buffer.
bool FindGameFolder(const char* keyText, char* folder);

// The fallback when the lookup fails: the current directory at start, as an
// absolute path, so pictures, settings and the game resolve in one folder.
// A path too long for the buffer gives ".": every path built on it is then
// relative to the current directory, the same folder. (An empty folder would
// not do: the suffixes begin with a backslash, which means the drive's root.)
void UseCurrentFolderAsGameFolder(char* folder);
