// Another account's file, made through Wine's Unix side.
#include "SharedFile.h"

#include <windows.h>
#include <sddl.h>

#include <algorithm>

namespace {

constexpr SECURITY_INFORMATION kOwnerAndAccess = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

} // namespace

bool GiveToAnotherAccountWritableByAll(std::string relativePath) {
    if (relativePath.find_first_of("':\"") != std::string::npos)
        return false;
    std::replace(relativePath.begin(), relativePath.end(), '\\', '/');
    // A Unix program started by Wine runs in the current folder, and gives
    // no handle to wait on: its end shows in the file's owner, changed last,
    // which Wine reports as the anonymous account ("AN") for any uid but its
    // own.
    std::string command = "/bin/sh -c \"chmod 666 '" + relativePath + "' && chown 65534 '" + relativePath + "'\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return false;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    for (int waited = 0; waited < 100; ++waited, Sleep(50))
        if (OwnerAndAccess(relativePath).rfind("O:AN", 0) == 0)
            return true;
    return false;
}

std::string OwnerAndAccess(const std::string& path) {
    BYTE descriptor[4096];
    DWORD needed = 0;
    char* text = nullptr;
    if (!GetFileSecurityA(path.c_str(), kOwnerAndAccess, descriptor, sizeof descriptor, &needed) ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, kOwnerAndAccess, &text,
                                                              nullptr))
        return {};
    std::string result = text;
    LocalFree(text);
    return result;
}
