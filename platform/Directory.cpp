// Current directory and sorted directory listings.
#include "platform/Directory.h"

#include "platform/NameMatch.h"

#include <windows.h>

#include <algorithm>
#include <string_view>

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

bool IsAscii(const std::string& name) {
    return std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

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

// NTFS order of two names. ASCII names, nearly all there are, compare
// without a conversion: a folder of many pictures is checked at every pass.
bool NtfsLess(const std::string& a, const std::string& b) {
    if (IsAscii(a) && IsAscii(b)) {
        auto upper = [](char c) -> unsigned char {
            return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : static_cast<unsigned char>(c);
        };
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [&](char x, char y) { return upper(x) < upper(y); });
    }
    // wchar_t is unsigned 16-bit on Windows, so this compares ordinals.
    return UpperWide(a) < UpperWide(b);
}

void SortInNtfsOrder(std::vector<std::string>& names) {
    // NTFS and Wine hand the names over sorted already; only other file
    // systems pay for the sort.
    if (std::is_sorted(names.begin(), names.end(), NtfsLess))
        return;
    std::stable_sort(names.begin(), names.end(), NtfsLess);
}

std::string_view LastComponent(const std::string& pattern) {
    const auto slash = pattern.find_last_of("\\/:");
    return slash == std::string::npos ? std::string_view(pattern)
                                       : std::string_view(pattern).substr(slash + 1);
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
    const std::string_view wildcard = LastComponent(pattern);
    WIN32_FIND_DATAA entry;
    FindHandle find(FindFirstFileA(pattern.c_str(), &entry));
    if (!find.valid())
        return names;
    do {
        const std::string_view name = entry.cFileName;
        if (name != "." && name != ".." && NameMatchesWildcard(name, wildcard))
            names.emplace_back(name);
    } while (FindNextFileA(find.get(), &entry));
    SortInNtfsOrder(names);
    return names;
}
