// Another account's file and a file's second name, made through Wine's Unix
// side.
#include "SharedFile.h"

#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <functional>

namespace {

constexpr SECURITY_INFORMATION kOwnerAndAccess = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

// A relative path as a word of a shell command.
std::string ShellWord(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return "'" + path + "'";
}

// Runs `script` through /bin/sh as a Unix program in the current folder, and
// waits until `done` holds: Wine gives no handle to wait on for a Unix
// program, so its end shows only in the files it changes. Only relative
// paths: a drive or a double quote is refused.
bool RunUnix(const std::string& script, const std::function<bool()>& done) {
    if (script.find_first_of(":\"") != std::string::npos)
        return false;
    std::string command = "/bin/sh -c \"" + script + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return false;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    for (int waited = 0; waited < 100; ++waited, Sleep(50))
        if (done())
            return true;
    return false;
}

} // namespace

bool GiveToAnotherAccountWritableByAll(const std::string& relativePath) {
    // The owner is changed last; Wine reports it as the anonymous account
    // ("AN") for any uid but its own. Only root may give a file away: as
    // another account, through sudo without a password, as the test drives
    // are mounted.
    const std::string path = ShellWord(relativePath);
    return RunUnix("chmod 666 " + path + " && { chown 65534 " + path + " 2>/dev/null || sudo -n chown 65534 " +
                       path + "; }",
                   [&] { return OwnerAndAccess(relativePath).rfind("O:AN", 0) == 0; });
}

bool LinkThroughUnix(const std::string& existing, const std::string& newName, bool symbolic) {
    DeleteFileA(newName.c_str());
    return RunUnix(std::string(symbolic ? "ln -s " : "ln ") + ShellWord(existing) + " " + ShellWord(newName),
                   [&] { return GetFileAttributesA(newName.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

bool RemoveLinkThroughUnix(const std::string& link) {
    return RunUnix("rm -f " + ShellWord(link),
                   [&] { return GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES; });
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
