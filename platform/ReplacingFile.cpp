// Replacing a file through a temporary file beside it.
#include "platform/ReplacingFile.h"

#include "platform/File.h"

#include <cstdio>

namespace {

// "<target>.<process>-<n>.tmp": beside the target, so the rename stays on
// one volume, and ours alone, since it is created only when new.
std::string TemporaryNameFor(const std::string& targetPath) {
    static unsigned s_counter = 0;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%lx-%x.tmp", static_cast<unsigned long>(GetCurrentProcessId()),
                  ++s_counter);
    return targetPath + suffix;
}

CFileException ErrorFor(DWORD code, const std::string& path) {
    return CFileException(CFileException::OsErrorToCause(code), code, path);
}

} // namespace

CReplacingFile::CReplacingFile(const char* targetName, Durability durability)
    : m_durability(durability), m_targetPath(FullPathOf(targetName)) {}

CReplacingFile::~CReplacingFile() {
    m_hTemp.reset();
    if (!m_tempPath.empty())
        DeleteFileA(m_tempPath.c_str());
}

bool CReplacingFile::Begin() {
    if (m_hTemp.valid())
        return true;
    // A name taken meanwhile by a temporary file that another run left
    // behind is passed over; a few tries are plenty.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::string temp = TemporaryNameFor(m_targetPath);
        HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            m_hTemp.reset(h);
            m_tempPath = temp;
            return true;
        }
        const DWORD code = GetLastError();
        m_failure = ErrorFor(code, m_targetPath);
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS)
            break;
    }
    return false;
}

std::uint32_t CReplacingFile::Read(void*, std::uint32_t) {
    // Opened for writing only, as the target would be.
    throw CFileException(CFileException::accessDenied, ERROR_ACCESS_DENIED);
}

void CReplacingFile::Write(const void* buffer, std::uint32_t count) {
    if (!Begin())
        throw m_failure;
    if (count == 0)
        return;
    DWORD written = 0;
    if (!WriteFile(m_hTemp.get(), buffer, count, &written, nullptr))
        CFile::ThrowOsError(GetLastError(), m_targetPath);
    // A write that ends early without an error code has run out of space.
    if (written < count)
        throw CFileException(CFileException::diskFull, 0, m_targetPath);
}

void CReplacingFile::SeekFromCurrent(std::int32_t offset) {
    if (!Begin())
        throw m_failure;
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(m_hTemp.get(), distance, nullptr, FILE_CURRENT))
        CFile::ThrowOsError(GetLastError());
}

CReplacingFile::Result CReplacingFile::Commit() {
    if (!Begin())
        return couldNotBegin;
    if (m_durability == flushBeforeReplace && !FlushFileBuffers(m_hTemp.get()))
        CFile::ThrowOsError(GetLastError(), m_targetPath);
    if (!CloseHandle(m_hTemp.release()))
        CFile::ThrowOsError(GetLastError());

    // Windows refuses to replace a read-only file but Wine allows it, so the
    // attribute is checked here; a folder of the target's name is refused too.
    const DWORD attributes = GetFileAttributesA(m_targetPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        m_failure = ErrorFor(ERROR_ACCESS_DENIED, m_targetPath);
        return replaceRefused;
    }
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (m_durability == flushBeforeReplace ? MOVEFILE_WRITE_THROUGH : 0);
    if (!MoveFileExA(m_tempPath.c_str(), m_targetPath.c_str(), flags)) {
        m_failure = ErrorFor(GetLastError(), m_targetPath);
        return replaceRefused;
    }
    m_tempPath.clear();
    return replaced;
}
