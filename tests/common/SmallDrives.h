// The tiny drives that ctest mounts for the nearly-full-disk cases
// (tests/win32/small-drives.sh), as Wine sees them, and a way to fill them.
#pragma once

#include <cstdint>
#include <string>

// The drive's folder, or empty when it is not mounted here.
std::string SmallDrive(const char* name);

// Fills the drive that holds `folder` with the file "filler" in it, up to
// `leaveFree` bytes of free room. False when that cannot be done.
bool FillDrive(const std::string& folder, std::uint64_t leaveFree = 0);
