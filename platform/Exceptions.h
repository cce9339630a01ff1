// The framework's error types: file errors with their cause, archive errors
// and the memory error. Portable, so the texts and the cause table are tested
// natively; reporting them to the user lives in ErrorReport.
#pragma once

#include <cstdint>
#include <string>

class CException {
public:
    virtual ~CException() = default;
    // The text the user sees for this error.
    virtual std::string GetErrorMessage() const = 0;
};

class CFileException : public CException {
public:
    // Causes, in the framework's numbering; the texts are in FileError.cpp.
    enum Cause : int {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14,
    };

    CFileException(int cause, std::uint32_t osError, std::string fileName = {})
        : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName)) {}

    // The cause that a Windows error code gives; every unlisted code is
    // genericException, and 0 is none.
    static int OsErrorToCause(std::uint32_t osError);

    std::string GetErrorMessage() const override;

    int m_cause;
    std::uint32_t m_lOsError;
    // Full path for writes; empty for reads, seeks and closes.
    std::string m_strFileName;
};

class CArchiveException : public CException {
public:
    enum Cause : int { none = 0, generic = 1, endOfFile = 3 };

    explicit CArchiveException(int cause) : m_cause(cause) {}
    std::string GetErrorMessage() const override;

    int m_cause;
};

// The memory error's text, kept where reporting it needs no memory.
inline constexpr char kOutOfMemoryText[] = "Out of memory.";

class CMemoryException : public CException {
public:
    std::string GetErrorMessage() const override;
};

// Puts `fileName`, or "an unnamed file" when it is empty, in place of "%1".
std::string FormatFileErrorText(const char* pattern, const std::string& fileName);
