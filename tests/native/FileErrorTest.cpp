// The framework's error texts and the table from Windows error codes to
// file-error causes, written out here on their own so a slip in either shows.
#include "platform/Exceptions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace {

struct CauseCodes {
    int cause;
    std::vector<std::uint32_t> codes;
};

// Which Windows error codes give which cause; every other nonzero code gives 1.
const CauseCodes kCauseCodes[] = {
    {2, {2, 6, 18, 107}},
    {3, {3, 15, 17, 34, 52, 53, 55, 67, 70, 85, 111, 123, 124, 125, 144, 154, 161, 206, 208, 267}},
    {4, {4, 36, 68, 113}},
    {5, {5, 12, 19, 29, 54, 58, 64, 65, 71, 80, 82, 86, 170, 183, 999}},
    {6, {11, 26, 60, 66, 114, 182, 191, 193}},
    {7, {16, 145}},
    {8, {62}},
    {9, {24, 25, 27, 30, 131, 132}},
    {10, {20, 21, 22, 23, 57, 59, 88, 117, 995, 996, 997}},
    {11, {32}},
    {12, {33, 108, 167}},
    {13, {39, 112}},
    {14, {38}},
};

std::map<std::uint32_t, int> ListedCodes() {
    std::map<std::uint32_t, int> listed;
    for (const CauseCodes& row : kCauseCodes)
        for (std::uint32_t code : row.codes) {
            const bool fresh = listed.emplace(code, row.cause).second;
            EXPECT_TRUE(fresh) << "code " << code << " written down twice";
        }
    return listed;
}

TEST(FileErrorCause, EveryListedCodeGivesItsCause) {
    for (const auto& [code, cause] : ListedCodes())
        EXPECT_EQ(CFileException::OsErrorToCause(code), cause) << "Windows error " << code;
}

TEST(FileErrorCause, CodeZeroIsNoError) {
    EXPECT_EQ(CFileException::OsErrorToCause(0), CFileException::none);
}

TEST(FileErrorCause, EveryOtherCodeIsGeneric) {
    const auto listed = ListedCodes();
    // Every code up to past the largest listed one, then a few far beyond.
    std::vector<std::uint32_t> others;
    for (std::uint32_t code = 1; code <= 1100; ++code)
        if (listed.count(code) == 0)
            others.push_back(code);
    for (std::uint32_t code : {1223u, 1392u, 0x7FFFFFFFu, 0x80070005u, 0xFFFFFFFFu})
        others.push_back(code);
    for (std::uint32_t code : others)
        EXPECT_EQ(CFileException::OsErrorToCause(code), CFileException::genericException)
            << "Windows error " << code;
}

struct CauseText {
    int cause;
    const char* named;   // with the file name below
    const char* unnamed; // with no file name
};

constexpr char kName[] = "C:\\Games\\MOO3\\Quillmere.sav";

const CauseText kCauseTexts[] = {
    {0, "No error occurred.", "No error occurred."},
    {1, "An unknown error occurred while accessing C:\\Games\\MOO3\\Quillmere.sav.",
     "An unknown error occurred while accessing an unnamed file."},
    {2, "C:\\Games\\MOO3\\Quillmere.sav was not found.", "an unnamed file was not found."},
    {3, "C:\\Games\\MOO3\\Quillmere.sav contains an invalid path.",
     "an unnamed file contains an invalid path."},
    {4, "C:\\Games\\MOO3\\Quillmere.sav could not be opened because there are too many open files.",
     "an unnamed file could not be opened because there are too many open files."},
    {5, "Access to C:\\Games\\MOO3\\Quillmere.sav was denied.", "Access to an unnamed file was denied."},
    {6, "An invalid file handle was associated with C:\\Games\\MOO3\\Quillmere.sav.",
     "An invalid file handle was associated with an unnamed file."},
    {7, "C:\\Games\\MOO3\\Quillmere.sav could not be removed because it is the current directory.",
     "an unnamed file could not be removed because it is the current directory."},
    {8, "C:\\Games\\MOO3\\Quillmere.sav could not be created because the directory is full.",
     "an unnamed file could not be created because the directory is full."},
    {9, "Seek failed on C:\\Games\\MOO3\\Quillmere.sav", "Seek failed on an unnamed file"},
    {10, "A hardware I/O error was reported while accessing C:\\Games\\MOO3\\Quillmere.sav.",
     "A hardware I/O error was reported while accessing an unnamed file."},
    {11, "A sharing violation occurred while accessing C:\\Games\\MOO3\\Quillmere.sav.",
     "A sharing violation occurred while accessing an unnamed file."},
    {12, "A locking violation occurred while accessing C:\\Games\\MOO3\\Quillmere.sav.",
     "A locking violation occurred while accessing an unnamed file."},
    {13, "Disk full while accessing C:\\Games\\MOO3\\Quillmere.sav.", "Disk full while accessing an unnamed file."},
    {14, "An attempt was made to access C:\\Games\\MOO3\\Quillmere.sav past its end.",
     "An attempt was made to access an unnamed file past its end."},
};

TEST(FileErrorText, EachCauseWithAndWithoutAName) {
    for (const CauseText& row : kCauseTexts) {
        EXPECT_EQ(CFileException(row.cause, 0, kName).GetErrorMessage(), row.named) << "cause " << row.cause;
        EXPECT_EQ(CFileException(row.cause, 0).GetErrorMessage(), row.unnamed) << "cause " << row.cause;
    }
}

TEST(FileErrorText, NameIsTakenLiterally) {
    // A name that itself holds "%1" is not expanded again.
    EXPECT_EQ(CFileException(CFileException::fileNotFound, 2, "D:\\%1.sav").GetErrorMessage(),
              "D:\\%1.sav was not found.");
}

TEST(OtherErrorText, ArchiveEndOfFileAndMemory) {
    EXPECT_EQ(CArchiveException(CArchiveException::endOfFile).GetErrorMessage(),
              "An attempt was made to access an unnamed file past its end.");
    EXPECT_EQ(CMemoryException().GetErrorMessage(), "Out of memory.");
}

} // namespace
