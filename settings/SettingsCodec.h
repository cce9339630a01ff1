// The settings file's fields: four 32-bit little-endian values, no header,
// stored in an order of their own (the order flag, declared first, comes last).
#pragma once

#include "platform/Archive.h"
#include "settings/LauncherSettings.h"

inline constexpr char kSettingsFileName[] = "Quillmere.sav";
inline constexpr unsigned kSettingsFileSize = 16;

// Reads the four fields in file order. A field not wholly present throws
// CArchiveException(endOfFile); the fields before it keep what was read, it
// and the ones after keep their values.
void LoadSettingsFields(CArchive& ar, LauncherSettings& s);

// Writes the four fields in file order into the archive's buffer.
void StoreSettingsFields(CArchive& ar, const LauncherSettings& s);
