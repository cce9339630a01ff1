// Links of a file, as the system shows them.
#include "platform/FileLinks.h"

#include "platform/Handle.h"

namespace {

// GetFinalPathNameByHandleA came with Vista, so it is looked up at run time.
// XP has no symbolic links to files, and without the function only hard links
// and reparse points are seen there.
using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);

FinalPathFunction FindFinalPathFunction() {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel == nullptr
               ? nullptr
               : reinterpret_cast<FinalPathFunction>(
                     reinterpret_cast<void*>(GetProcAddress(kernel, "GetFinalPathNameByHandleA")));
}

// Opens a file or folder only to ask about it, in the way of nobody.
UniqueHandle OpenToAsk(const std::string& path) {
    return UniqueHandle(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// The path the system resolves `h` to, links followed; empty when it cannot.
std::string FinalPathOf(FinalPathFunction finalPath, HANDLE h) {
    // A path that does not fit returns the size it needs, with or without its
    // terminator depending on the system: room for one more is asked for.
    std::string path(MAX_PATH + 1, '\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD length = finalPath(h, &path[0], static_cast<DWORD>(path.size()), 0);
        if (length == 0)
            break;
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(std::size_t{length} + 1);
    }
    return {};
}

} // namespace

bool MayHaveAnotherName(const std::string& path, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return true;
    const UniqueHandle file = OpenToAsk(path);
    BY_HANDLE_FILE_INFORMATION information;
    if (!file.valid() || !GetFileInformationByHandle(file.get(), &information) || information.nNumberOfLinks != 1)
        return true;
    const FinalPathFunction finalPath = FindFinalPathFunction();
    if (finalPath == nullptr)
        return false;
    // Wine shows a Unix symbolic link neither as a reparse point nor in the
    // link count, and follows it even when asked not to; only the resolved
    // path tells. It is compared with the folder's own resolved path and the
    // name, so that a linked folder higher up, which a rename goes through
    // as a write does, is no reason. Under Windows file virtualization the
    // file resolves into the user's VirtualStore, which counts as elsewhere:
    // the plain write is the one that lands where the game reads.
    const std::size_t nameStart = path.find_last_of("\\/") + 1;
    // The folder without its last separator, but for a drive's root.
    std::string folderPath = path.substr(0, nameStart);
    if (folderPath.size() > 1 && folderPath[folderPath.size() - 2] != ':')
        folderPath.pop_back();
    const UniqueHandle folder = OpenToAsk(folderPath);
    if (!folder.valid())
        return true;
    const std::string resolvedFolder = FinalPathOf(finalPath, folder.get());
    const std::string resolvedFile = FinalPathOf(finalPath, file.get());
    if (resolvedFolder.empty() || resolvedFile.empty())
        return true;
    const bool folderEndsInSeparator = resolvedFolder.back() == '\\';
    const std::string expected = resolvedFolder + (folderEndsInSeparator ? "" : "\\") + path.substr(nameStart);
    // Names compare without regard to case, as the file system finds them.
    return lstrcmpiA(expected.c_str(), resolvedFile.c_str()) != 0;
}
