// Replacing a file through a temporary file beside it.
#include "platform/ReplacingFile.h"

#include "platform/File.h"

namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

CFileException ErrorFor(DWORD code, const std::string& path) {
    return CFileException(CFileException::OsErrorToCause(code), code, path);
}

} // namespace

CReplacingFile::CReplacingFile(const char* targetName) : m_targetPath(FullPathOf(targetName)) {
    char temp[MAX_PATH] = {};
    // GetTempFileName creates the file, so the name is ours alone.
    if (GetTempFileNameA(FolderOf(m_targetPath).c_str(), "qml", 0, temp) == 0) {
        m_error = ErrorFor(GetLastError(), m_targetPath);
        return;
    }
    m_tempPath = temp;
    HANDLE h = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        m_error = ErrorFor(GetLastError(), m_targetPath);
    else
        m_hTemp.reset(h);
}

CReplacingFile::~CReplacingFile() {
    m_hTemp.reset();
    if (!m_tempPath.empty())
        DeleteFileA(m_tempPath.c_str());
}

void CReplacingFile::ThrowIfFailed() const {
    if (m_error)
        throw *m_error;
}

std::uint32_t CReplacingFile::Read(void*, std::uint32_t) {
    // Opened for writing only, as the target would be.
    throw CFileException(CFileException::accessDenied, ERROR_ACCESS_DENIED);
}

void CReplacingFile::Write(const void* buffer, std::uint32_t count) {
    ThrowIfFailed();
    if (count == 0)
        return;
    DWORD written = 0;
    if (!WriteFile(m_hTemp.get(), buffer, count, &written, nullptr))
        CFile::ThrowOsError(GetLastError(), m_targetPath);
    if (written < count)
        throw CFileException(CFileException::diskFull, 0, m_targetPath);
}

void CReplacingFile::SeekFromCurrent(std::int32_t offset) {
    ThrowIfFailed();
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(m_hTemp.get(), distance, nullptr, FILE_CURRENT))
        CFile::ThrowOsError(GetLastError());
}

void CReplacingFile::Commit() {
    ThrowIfFailed();
    // The bytes must be on disk before the name points at them, or a crash
    // could leave a replaced but empty file.
    if (!FlushFileBuffers(m_hTemp.get()))
        CFile::ThrowOsError(GetLastError(), m_targetPath);
    if (!CloseHandle(m_hTemp.release()))
        CFile::ThrowOsError(GetLastError());

    // Windows refuses to replace a read-only file but Wine allows it, so the
    // attribute is checked here; a folder of the target's name is refused too.
    const DWORD attributes = GetFileAttributesA(m_targetPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        throw ErrorFor(ERROR_ACCESS_DENIED, m_targetPath);

    if (!MoveFileExA(m_tempPath.c_str(), m_targetPath.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw ErrorFor(GetLastError(), m_targetPath);
    m_tempPath.clear();
}
