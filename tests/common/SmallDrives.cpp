// The tiny test drives, seen from inside Wine.
#include "SmallDrives.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

std::string SmallDrive(const char* name) {
    const char* folder = std::getenv("QUILLMERE_SMALL_DRIVES");
    if (folder == nullptr)
        return {};
    std::string path = std::string("Z:") + folder + "/" + name;
    std::replace(path.begin(), path.end(), '/', '\\');
    // Not mounted, the folder is part of the build's own, much larger disk.
    ULARGE_INTEGER total;
    const bool small = GetDiskFreeSpaceExA(path.c_str(), nullptr, &total, nullptr) && total.QuadPart < (1u << 20);
    return small ? path : std::string();
}

bool FillDrive(const std::string& folder, std::uint64_t leaveFree) {
    ULARGE_INTEGER free;
    if (!GetDiskFreeSpaceExA(folder.c_str(), &free, nullptr, nullptr) || free.QuadPart < leaveFree ||
        free.QuadPart - leaveFree > (1u << 20))
        return false;
    // Written, not only extended: an extended file takes no room on tmpfs.
    const std::vector<char> bytes(static_cast<std::size_t>(free.QuadPart - leaveFree), 'f');
    HANDLE h = CreateFileA((folder + "\\filler").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = bytes.empty() || WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}
