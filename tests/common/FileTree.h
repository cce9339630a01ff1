// Clean-up of the folders that Windows tests make.
#pragma once

#include <string>

// Deletes a folder with everything in it, read-only files included; what
// cannot be deleted is left.
void RemoveTree(const std::string& folder);
