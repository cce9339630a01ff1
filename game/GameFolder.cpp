// Game folder lookup.
#include "game/GameFolder.h"

#include "platform/Directory.h"
#include "platform/Registry.h"

#include <cstring>

bool FindGameFolder(const char* keyText, char* folder) {
    return ReadRegistryText(HKEY_LOCAL_MACHINE, keyText, kGameRegistryValue, folder, kGameFolderSize);
}

void UseCurrentFolderAsGameFolder(char* folder) {
    const std::string current = GetCurrentFolder();
    if (current.size() < kGameFolderSize)
        std::memcpy(folder, current.c_str(), current.size() + 1);
    else
        std::memcpy(folder, ".", 2);
}
