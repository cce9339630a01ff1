// Reading a text value from the registry.
#pragma once

#include <windows.h>

// Reads `valueName` of `subKey` under `root` into `buffer` of `bufferSize`
// bytes, always terminated. Asks for read access only: full access is
// refused to every account that is not an administrator. A value that does
// not fit the buffer with its terminator, or is empty, counts as absent; the
// value's type is not examined. Returns false when the key or value is absent.
bool ReadRegistryText(HKEY root, const char* subKey, const char* valueName, char* buffer,
                      DWORD bufferSize);
