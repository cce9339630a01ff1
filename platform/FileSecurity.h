// Compares the owner and access list of two files, so that a file put in
// another's place is known to keep what the other's users rely on.
#pragma once

#include <windows.h>

#include <string>

// Whether the open file `file` (opened with READ_CONTROL, as any write access
// is) has the owner and access list of the file at `path`, as the system
// reports them: under Wine the Unix owner and mode, on Windows the owner SID
// and the DACL with its protection. False when either cannot be read.
bool HasOwnerAndAccessOf(HANDLE file, const std::string& path);
