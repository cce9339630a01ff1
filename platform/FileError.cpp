// Texts of the framework's errors and the table from Windows error codes to
// file-error causes. Windows error codes are written as numbers so this file
// stays free of <windows.h>.
#include "platform/Exceptions.h"

#include <algorithm>
#include <iterator>

namespace {

const char* const kCauseTexts[] = {
    "No error occurred.",
    "An unknown error occurred while accessing %1.",
    "%1 was not found.",
    "%1 contains an invalid path.",
    "%1 could not be opened because there are too many open files.",
    "Access to %1 was denied.",
    "An invalid file handle was associated with %1.",
    "%1 could not be removed because it is the current directory.",
    "%1 could not be created because the directory is full.",
    "Seek failed on %1",
    "A hardware I/O error was reported while accessing %1.",
    "A sharing violation occurred while accessing %1.",
    "A locking violation occurred while accessing %1.",
    "Disk full while accessing %1.",
    "An attempt was made to access %1 past its end.",
};

struct CodeCause {
    std::uint32_t code;
    int cause;
};

// Sorted by code, so a lookup is a binary search.
constexpr CodeCause kCodeCauses[] = {
    {2, CFileException::fileNotFound},      {3, CFileException::badPath},
    {4, CFileException::tooManyOpenFiles},  {5, CFileException::accessDenied},
    {6, CFileException::fileNotFound},      {11, CFileException::invalidFile},
    {12, CFileException::accessDenied},     {15, CFileException::badPath},
    {16, CFileException::removeCurrentDir}, {17, CFileException::badPath},
    {18, CFileException::fileNotFound},     {19, CFileException::accessDenied},
    {20, CFileException::hardIO},           {21, CFileException::hardIO},
    {22, CFileException::hardIO},           {23, CFileException::hardIO},
    {24, CFileException::badSeek},          {25, CFileException::badSeek},
    {26, CFileException::invalidFile},      {27, CFileException::badSeek},
    {29, CFileException::accessDenied},     {30, CFileException::badSeek},
    {32, CFileException::sharingViolation}, {33, CFileException::lockViolation},
    {34, CFileException::badPath},          {36, CFileException::tooManyOpenFiles},
    {38, CFileException::endOfFile},        {39, CFileException::diskFull},
    {52, CFileException::badPath},          {53, CFileException::badPath},
    {54, CFileException::accessDenied},     {55, CFileException::badPath},
    {57, CFileException::hardIO},           {58, CFileException::accessDenied},
    {59, CFileException::hardIO},           {60, CFileException::invalidFile},
    {62, CFileException::directoryFull},    {64, CFileException::accessDenied},
    {65, CFileException::accessDenied},     {66, CFileException::invalidFile},
    {67, CFileException::badPath},          {68, CFileException::tooManyOpenFiles},
    {70, CFileException::badPath},          {71, CFileException::accessDenied},
    {80, CFileException::accessDenied},     {82, CFileException::accessDenied},
    {85, CFileException::badPath},          {86, CFileException::accessDenied},
    {88, CFileException::hardIO},           {107, CFileException::fileNotFound},
    {108, CFileException::lockViolation},   {111, CFileException::badPath},
    {112, CFileException::diskFull},        {113, CFileException::tooManyOpenFiles},
    {114, CFileException::invalidFile},     {117, CFileException::hardIO},
    {123, CFileException::badPath},         {124, CFileException::badPath},
    {125, CFileException::badPath},         {131, CFileException::badSeek},
    {132, CFileException::badSeek},         {144, CFileException::badPath},
    {145, CFileException::removeCurrentDir}, {154, CFileException::badPath},
    {161, CFileException::badPath},         {167, CFileException::lockViolation},
    {170, CFileException::accessDenied},    {182, CFileException::invalidFile},
    {183, CFileException::accessDenied},    {191, CFileException::invalidFile},
    {193, CFileException::invalidFile},     {206, CFileException::badPath},
    {208, CFileException::badPath},         {267, CFileException::badPath},
    {995, CFileException::hardIO},          {996, CFileException::hardIO},
    {997, CFileException::hardIO},          {999, CFileException::accessDenied},
};

static_assert(std::size(kCauseTexts) == CFileException::endOfFile + 1);

constexpr bool CodesAscend() {
    for (std::size_t i = 1; i < std::size(kCodeCauses); ++i)
        if (kCodeCauses[i - 1].code >= kCodeCauses[i].code)
            return false;
    return true;
}
static_assert(CodesAscend(), "the code table must stay sorted for the binary search");

} // namespace

int CFileException::OsErrorToCause(std::uint32_t osError) {
    if (osError == 0)
        return none;
    auto it = std::lower_bound(std::begin(kCodeCauses), std::end(kCodeCauses), osError,
                               [](const CodeCause& e, std::uint32_t code) { return e.code < code; });
    if (it != std::end(kCodeCauses) && it->code == osError)
        return it->cause;
    return genericException;
}

std::string FormatFileErrorText(const char* pattern, const std::string& fileName) {
    const std::string name = fileName.empty() ? std::string("an unnamed file") : fileName;
    std::string text = pattern;
    const std::string::size_type at = text.find("%1");
    if (at != std::string::npos)
        text.replace(at, 2, name);
    return text;
}

std::string CFileException::GetErrorMessage() const {
    const int cause = (m_cause >= 0 && m_cause < static_cast<int>(std::size(kCauseTexts)))
                          ? m_cause
                          : static_cast<int>(genericException);
    return FormatFileErrorText(kCauseTexts[cause], m_strFileName);
}

std::string CArchiveException::GetErrorMessage() const {
    // An archive knows no file name, so its end-of-file error always speaks of
    // an unnamed file.
    if (m_cause == endOfFile)
        return FormatFileErrorText(kCauseTexts[CFileException::endOfFile], {});
    return FormatFileErrorText(kCauseTexts[CFileException::genericException], {});
}

std::string CMemoryException::GetErrorMessage() const { return kOutOfMemoryText; }
