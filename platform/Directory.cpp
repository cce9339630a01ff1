// Current directory and sorted directory listings.
#include "platform/Directory.h"

#include <windows.h>

#include <algorithm>

namespace {

class FindHandle {
public:
    explicit FindHandle(HANDLE h) : m_h(h) {}
    ~FindHandle() {
        if (m_h != INVALID_HANDLE_VALUE)
            FindClose(m_h);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    HANDLE get() const { return m_h; }
    bool valid() const { return m_h != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_h;
};

// Upper-cases through Unicode, as NTFS compares names in UTF-16 with its
// own upper-case table; the system code page is what the names come in.
std::wstring UpperWide(const std::string& name) {
    const int n = MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    if (n > 0) {
        MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), &wide[0], n);
        CharUpperBuffW(&wide[0], static_cast<DWORD>(n));
    }
    return wide;
}

} // namespace

std::string GetCurrentFolder() {
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    std::string folder(needed, '\0');
    const DWORD length = GetCurrentDirectoryA(needed, &folder[0]);
    folder.resize(length < needed ? length : 0);
    return folder;
}

bool SetCurrentFolder(const char* folder) { return SetCurrentDirectoryA(folder) != FALSE; }

std::vector<std::string> ListDirectory(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    FindHandle find(FindFirstFileA(pattern.c_str(), &entry));
    if (!find.valid())
        return names;
    do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find.get(), &entry));

    // Precompute the keys: a folder of many pictures is sorted at every pass.
    std::vector<std::pair<std::wstring, std::string>> keyed;
    keyed.reserve(names.size());
    for (auto& n : names)
        keyed.emplace_back(UpperWide(n), std::move(n));
    // wchar_t is unsigned 16-bit on Windows, so this compares ordinals.
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    names.clear();
    for (auto& k : keyed)
        names.push_back(std::move(k.second));
    return names;
}
