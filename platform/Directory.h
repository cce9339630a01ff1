// Current directory and directory listings.
#pragma once

#include <string>
#include <vector>

// The current directory as an absolute path.
std::string GetCurrentFolder();
bool SetCurrentFolder(const char* folder);

// The bare names of the entries that match a wildcard pattern such as
// "C:\\Game\\EOTBIR\\*.png", files and folders alike, "." and ".." left out.
// Only names that match the wildcard themselves are kept: Windows also
// matches 8.3 short names, so "*.png" alone would list "x.png_old" too.
// They come in NTFS order on every file system: compared as ordinals after
// conversion to upper case, so "_x.png" follows "Z.png". Windows on NTFS and
// Wine list that way already; FAT and network volumes do not.
std::vector<std::string> ListDirectory(const std::string& pattern);
