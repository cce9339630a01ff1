// Whether a file is known by one name only, so that putting another file in
// its place by a rename changes what every reader of it sees.
#pragma once

#include <windows.h>

#include <string>

// True when the existing file at `path` (whose attributes are `attributes`)
// may be reached by another name, which a rename over `path` would leave
// holding the old bytes: a symbolic link or other reparse point, a file with
// more than one hard link, a path that leads elsewhere than its own folder,
// or a file that cannot be asked. Only a plain write keeps such a file whole
// for every name: it goes through the link.
bool MayHaveAnotherName(const std::string& path, DWORD attributes);
