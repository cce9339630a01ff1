// The framework's file object.
#include "platform/File.h"

std::string FullPathOf(const char* name) {
    // Asked twice: once for the length, so no path is ever cut to a buffer.
    const DWORD needed = GetFullPathNameA(name, 0, nullptr, nullptr);
    if (needed == 0)
        return name;
    std::string path(needed, '\0');
    const DWORD length = GetFullPathNameA(name, needed, &path[0], nullptr);
    if (length == 0 || length >= needed)
        return name;
    path.resize(length);
    return path;
}

void CFile::ThrowOsError(DWORD osError, const std::string& fileName) {
    throw CFileException(CFileException::OsErrorToCause(osError), osError, fileName);
}

bool CFile::Open(const char* fileName, unsigned flags, CFileException* error) {
    m_hFile.reset();
    m_strFilePath = FullPathOf(fileName);
    const DWORD access = (flags & modeWrite) ? GENERIC_WRITE : GENERIC_READ;
    const DWORD share = (flags & shareExclusive) ? 0 : (FILE_SHARE_READ | FILE_SHARE_WRITE);
    const DWORD creation = (flags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
    // Windows refuses to open a read-only file for writing; Wine lets an
    // account that may write the Unix file do it. Refused here on both.
    if ((flags & modeWrite) != 0) {
        const DWORD attributes = GetFileAttributesA(fileName);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            if (error != nullptr)
                *error = CFileException(CFileException::accessDenied, ERROR_ACCESS_DENIED, m_strFilePath);
            return false;
        }
    }
    HANDLE h = CreateFileA(fileName, access, share, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (error != nullptr)
            *error = CFileException(CFileException::OsErrorToCause(code), code, m_strFilePath);
        return false;
    }
    m_hFile.reset(h);
    return true;
}

std::uint32_t CFile::Read(void* buffer, std::uint32_t count) {
    if (count == 0)
        return 0;
    DWORD read = 0;
    if (!ReadFile(m_hFile.get(), buffer, count, &read, nullptr))
        ThrowOsError(GetLastError());
    return read;
}

void CFile::Write(const void* buffer, std::uint32_t count) {
    if (count == 0)
        return;
    DWORD written = 0;
    if (!WriteFile(m_hFile.get(), buffer, count, &written, nullptr))
        ThrowOsError(GetLastError(), m_strFilePath);
    // A write that ends early without an error code has run out of space.
    if (written < count)
        throw CFileException(CFileException::diskFull, 0, m_strFilePath);
}

void CFile::SeekFromCurrent(std::int32_t offset) {
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(m_hFile.get(), distance, nullptr, FILE_CURRENT))
        ThrowOsError(GetLastError());
}

std::uint64_t CFile::GetLength() const {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(m_hFile.get(), &size))
        ThrowOsError(GetLastError());
    return static_cast<std::uint64_t>(size.QuadPart);
}

void CFile::Close() {
    if (!m_hFile.valid())
        return;
    if (!CloseHandle(m_hFile.release()))
        ThrowOsError(GetLastError());
}
