// Another account's file, made through Wine's Unix side.
#include "SharedFile.h"

#include <windows.h>
#include <sddl.h>

namespace {

constexpr SECURITY_INFORMATION kOwnerAndAccess = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

std::string UnixPathOf(const std::string& path) {
    using ToUnix = char*(CDECL*)(const WCHAR*);
    const auto toUnix =
        reinterpret_cast<ToUnix>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
    WCHAR wide[MAX_PATH];
    if (toUnix == nullptr || MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) == 0)
        return {};
    char* unix = toUnix(wide);
    if (unix == nullptr)
        return {};
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

} // namespace

bool GiveToAnotherAccountWritableByAll(const std::string& path) {
    const std::string unix = UnixPathOf(path);
    if (unix.empty() || unix.find('\'') != std::string::npos)
        return false;
    // Wine starts a Unix program without a handle to wait on: its end shows
    // in the file's owner, changed last, which Wine reports as the anonymous
    // account ("AN") for any uid but its own.
    std::string command = "/bin/sh -c \"chmod 666 '" + unix + "' && chown 65534 '" + unix + "'\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return false;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    for (int waited = 0; waited < 100; ++waited, Sleep(50)) {
        if (OwnerAndAccess(path).rfind("O:AN", 0) == 0)
            return true;
    }
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
