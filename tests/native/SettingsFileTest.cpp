// Loading and storing the 16-byte settings file through the archive over an
// in-memory file: which fields a file of each length sets, the end-of-file
// error, how the archive reads ahead and gives back, and the bytes written.
#include "MemoryStream.h"

#include "platform/Archive.h"
#include "platform/Exceptions.h"
#include "settings/SettingsCodec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct LoadOutcome {
    LauncherSettings settings;
    bool endOfFile = false;
    std::string message;
};

// Loads as the dialog does: defaults first, then the four fields; an error
// unwinds past the archive, which is then destroyed without Close.
LoadOutcome Load(MemoryStream& file) {
    LoadOutcome out;
    out.settings.SetDefaults();
    try {
        CArchive ar(file, CArchive::load);
        LoadSettingsFields(ar, out.settings);
        ar.Close();
    } catch (const CArchiveException& e) {
        out.endOfFile = e.m_cause == CArchiveException::endOfFile;
        out.message = e.GetErrorMessage();
    }
    return out;
}

Bytes Store(const LauncherSettings& s, MemoryStream& file) {
    CArchive ar(file, CArchive::store);
    StoreSettingsFields(ar, s);
    EXPECT_TRUE(file.Writes().empty()) << "nothing reaches the file before Close";
    ar.Close();
    return file.Data();
}

std::string Hex(const Bytes& bytes) {
    std::string out;
    for (std::uint8_t b : bytes) {
        char two[4];
        std::snprintf(two, sizeof two, "%02X ", b);
        out += two;
    }
    if (!out.empty())
        out.pop_back();
    return out;
}

std::string Fields(const LauncherSettings& s) {
    return "UseEotbir=" + std::to_string(s.m_bUseEotbir) + " PreWarp=" + std::to_string(s.m_bPreWarp) +
           " CycleTime=" + std::to_string(s.m_nCycleTime) + " OrderByName=" + std::to_string(s.m_bOrderByName);
}

void ExpectSettings(const LauncherSettings& actual, const LauncherSettings& expected) {
    EXPECT_EQ(Fields(actual), Fields(expected));
}

LauncherSettings Settings(std::int32_t useEotbir, std::int32_t preWarp, std::uint32_t cycleTime,
                          std::int32_t orderByName) {
    LauncherSettings s;
    s.m_bUseEotbir = useEotbir;
    s.m_bPreWarp = preWarp;
    s.m_nCycleTime = cycleTime;
    s.m_bOrderByName = orderByName;
    return s;
}

const LauncherSettings kDefaults = Settings(1, 0, 60, 0);
constexpr char kEndOfFileText[] = "An attempt was made to access an unnamed file past its end.";

struct FileCase {
    const char* what;
    Bytes contents;
    LauncherSettings loaded;
    bool endOfFile;
};

const FileCase kFileCases[] = {
    {"defaults", {1, 0, 0, 0, 0, 0, 0, 0, 0x3C, 0, 0, 0, 0, 0, 0, 0}, Settings(1, 0, 60, 0), false},
    {"name order, 1000 s, both boxes clear",
     {0, 0, 0, 0, 0, 0, 0, 0, 0xE8, 0x03, 0, 0, 1, 0, 0, 0}, Settings(0, 0, 1000, 1), false},
    {"15 bytes: the order flag is missing",
     {0, 0, 0, 0, 0, 0, 0, 0, 0xE8, 0x03, 0, 0, 1, 0, 0}, Settings(0, 0, 1000, 0), true},
    {"all bits set, taken unchecked",
     Bytes(16, 0xFF), Settings(-1, -1, 4294967295u, -1), false},
    {"flags 5, 2 and 7, cycle time 5000",
     {5, 0, 0, 0, 2, 0, 0, 0, 0x88, 0x13, 0, 0, 7, 0, 0, 0}, Settings(5, 2, 5000, 7), false},
    {"byte order", {0x78, 0x56, 0x34, 0x12, 0x01, 0x02, 0x03, 0x84, 0, 0, 0, 0x80, 0xFE, 0xFF, 0xFF, 0x7F},
     Settings(0x12345678, static_cast<std::int32_t>(0x84030201u), 0x80000000u, 0x7FFFFFFE), false},
    {"20 bytes: the rest is ignored",
     {2, 0, 0, 0, 1, 0, 0, 0, 0x0A, 0, 0, 0, 0, 0, 0, 0, 9, 9, 9, 9}, Settings(2, 1, 10, 0), false},
    {"empty", {}, Settings(1, 0, 60, 0), true},
    {"3 bytes", {9, 9, 9}, Settings(1, 0, 60, 0), true},
    {"7 bytes", {9, 0, 0, 0, 8, 8, 8}, Settings(9, 0, 60, 0), true},
};

TEST(SettingsLoad, KnownFiles) {
    for (const FileCase& c : kFileCases) {
        SCOPED_TRACE(c.what);
        MemoryStream file(c.contents);
        const LoadOutcome out = Load(file);
        ExpectSettings(out.settings, c.loaded);
        EXPECT_EQ(out.endOfFile, c.endOfFile);
        EXPECT_EQ(out.message, c.endOfFile ? kEndOfFileText : "");
        EXPECT_EQ(file.Data(), c.contents) << "loading never changes the file";
    }
}

// Distinct bytes, so that a field taken from the wrong offset shows.
Bytes Patterned(std::size_t length) {
    Bytes bytes(length);
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
    return bytes;
}

std::uint32_t LittleEndianAt(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// What a file of this content must leave: the wholly present fields among
// the first 16 bytes, in file order, the rest at their defaults.
LauncherSettings ExpectedAfterLoad(const Bytes& b) {
    LauncherSettings s = kDefaults;
    if (b.size() >= 4)
        s.m_bUseEotbir = static_cast<std::int32_t>(LittleEndianAt(b, 0));
    if (b.size() >= 8)
        s.m_bPreWarp = static_cast<std::int32_t>(LittleEndianAt(b, 4));
    if (b.size() >= 12)
        s.m_nCycleTime = LittleEndianAt(b, 8);
    if (b.size() >= 16)
        s.m_bOrderByName = static_cast<std::int32_t>(LittleEndianAt(b, 12));
    return s;
}

std::vector<std::size_t> SweepLengths() {
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n <= 4200; ++n)
        lengths.push_back(n);
    lengths.push_back(8192 + 7);
    return lengths;
}

TEST(SettingsLoad, EveryFileLength) {
    for (std::size_t n : SweepLengths()) {
        SCOPED_TRACE("file of " + std::to_string(n) + " bytes");
        const Bytes contents = Patterned(n);
        MemoryStream file(contents);
        const LoadOutcome out = Load(file);

        ExpectSettings(out.settings, ExpectedAfterLoad(contents));
        EXPECT_EQ(out.endOfFile, n < 16);
        // The bytes read ahead but not taken are given back: the file stands
        // after the last whole field taken.
        const std::size_t taken = n >= 16 ? 16 : n / 4 * 4;
        EXPECT_EQ(file.Position(), taken);
        EXPECT_TRUE(file.Writes().empty());
        EXPECT_EQ(file.Data(), contents);

        // The first refill asks for the whole buffer; a file that ends early
        // is asked once more for the rest of the buffer behind the 0 to 3
        // bytes kept, and that request meets the end of the file.
        std::vector<std::uint32_t> requests{4096};
        if (n > 0 && n < 16)
            requests.push_back(4096 - static_cast<std::uint32_t>(n % 4));
        EXPECT_EQ(file.ReadRequests(), requests);
        if (HasFailure())
            break; // one length's report is enough
    }
}

TEST(SettingsLoad, FileHandingOutSmallPieces) {
    const std::size_t lengths[] = {0, 1, 3, 4, 5, 7, 8, 11, 12, 15, 16, 17, 19, 20, 4095, 4096, 4097, 8199};
    for (std::uint32_t piece : {1u, 2u, 3u}) {
        for (std::size_t n : lengths) {
            SCOPED_TRACE(std::to_string(n) + " bytes, " + std::to_string(piece) + " per read");
            const Bytes contents = Patterned(n);
            MemoryStream file(contents, piece);
            const LoadOutcome out = Load(file);
            ExpectSettings(out.settings, ExpectedAfterLoad(contents));
            EXPECT_EQ(out.endOfFile, n < 16);
            EXPECT_EQ(file.Position(), n >= 16 ? 16 : n / 4 * 4);
            EXPECT_TRUE(file.Writes().empty());
            ASSERT_FALSE(file.ReadRequests().empty());
            EXPECT_EQ(file.ReadRequests().front(), 4096u);
        }
    }
}

TEST(SettingsLoad, RefillStopsOnceTheValueIsComplete) {
    // Each refill reads into the rest of the buffer until the missing bytes
    // are there, not until the buffer is full.
    const struct {
        std::uint32_t piece;
        std::vector<std::uint32_t> requests;
        std::vector<std::int32_t> seeks;
    } cases[] = {
        // Four reads of one byte per field.
        {1, {4096, 4095, 4094, 4093, 4096, 4095, 4094, 4093, 4096, 4095, 4094, 4093, 4096, 4095, 4094, 4093}, {}},
        // 3+3 = 6 (2 kept), +3 = 5 (1 kept), +3 = 4, 3+3 = 6 (2 given back).
        {3, {4096, 4093, 4094, 4095, 4096, 4093}, {-2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.piece) + " per read");
        MemoryStream file(Patterned(20), c.piece);
        const LoadOutcome out = Load(file);
        EXPECT_FALSE(out.endOfFile);
        EXPECT_EQ(file.ReadRequests(), c.requests);
        EXPECT_EQ(file.Seeks(), c.seeks);
        EXPECT_EQ(file.Position(), 16u);
    }
}

TEST(ArchiveLoad, SmallBuffersKeepUnreadBytesInOrder) {
    // A buffer that is not a multiple of 4 splits values across refills.
    const Bytes contents = Patterned(21);
    for (std::uint32_t size = 4; size <= 23; ++size) {
        SCOPED_TRACE("buffer of " + std::to_string(size));
        MemoryStream file(contents);
        std::uint32_t values[5] = {};
        {
            CArchive ar(file, CArchive::load, size);
            for (int i = 0; i < 5; ++i)
                ar >> values[i];
            std::uint32_t sixth = 0xDEADBEEF;
            EXPECT_THROW(ar >> sixth, CArchiveException);
            EXPECT_EQ(sixth, 0xDEADBEEFu) << "a value not wholly present leaves its target";
            ar.Close();
        }
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(values[i], LittleEndianAt(contents, 4 * i)) << "value " << i;
        EXPECT_EQ(file.Position(), 20u);
    }
}

TEST(SettingsLoad, ReadErrorPropagatesAndKeepsTheRest) {
    const struct {
        std::size_t length;
        int failingRead;
        LauncherSettings loaded;
        std::size_t position;
    } cases[] = {
        {20, 0, kDefaults, 0},
        // The first field arrives; the refill for the second one fails and
        // the two bytes read ahead are given back.
        {6, 1, Settings(static_cast<std::int32_t>(LittleEndianAt(Patterned(6), 0)), 0, 60, 0), 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.length) + " bytes, read " + std::to_string(c.failingRead) + " fails");
        MemoryStream file(Patterned(c.length));
        file.FailReadCall(c.failingRead);
        LauncherSettings s = kDefaults;
        try {
            CArchive ar(file, CArchive::load);
            LoadSettingsFields(ar, s);
            ar.Close();
            ADD_FAILURE() << "the read error did not arrive";
        } catch (const CFileException& e) {
            EXPECT_EQ(e.m_cause, CFileException::hardIO);
            EXPECT_EQ(e.m_lOsError, MemoryStream::kReadFaultError);
            EXPECT_EQ(e.GetErrorMessage(), "A hardware I/O error was reported while accessing an unnamed file.");
        }
        ExpectSettings(s, c.loaded);
        EXPECT_EQ(file.Position(), c.position);
    }
}

TEST(SettingsLoad, FailingGiveBackWhileUnwindingKeepsTheFirstError) {
    // 5 bytes: the end-of-file error unwinds while 1 byte is still unread and
    // the seek that gives it back fails; the end-of-file error is the one
    // that arrives.
    MemoryStream file(Patterned(5));
    file.FailSeeks();
    const LoadOutcome out = Load(file);
    EXPECT_TRUE(out.endOfFile);
    EXPECT_EQ(file.Seeks(), std::vector<std::int32_t>{-1});
}

TEST(SettingsLoad, FailingGiveBackAtCloseIsAFileError) {
    MemoryStream file(Patterned(20));
    file.FailSeeks();
    LauncherSettings s = kDefaults;
    CArchive ar(file, CArchive::load);
    LoadSettingsFields(ar, s);
    try {
        ar.Close();
        ADD_FAILURE() << "the seek error did not arrive";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::badSeek);
        EXPECT_EQ(e.GetErrorMessage(), "Seek failed on an unnamed file");
    }
}

TEST(SettingsStore, SixteenBytesInOneWrite) {
    const struct {
        const char* what;
        LauncherSettings settings;
        Bytes bytes;
    } cases[] = {
        {"defaults", Settings(1, 0, 60, 0), {0x01, 0, 0, 0, 0, 0, 0, 0, 0x3C, 0, 0, 0, 0, 0, 0, 0}},
        {"name order, 1000 s", Settings(0, 0, 1000, 1), {0, 0, 0, 0, 0, 0, 0, 0, 0xE8, 0x03, 0, 0, 1, 0, 0, 0}},
        {"values outside the ranges go unchanged", Settings(-1, 2, 0x12345678, 7),
         {0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 0x78, 0x56, 0x34, 0x12, 7, 0, 0, 0}},
        {"extremes", Settings(INT32_MIN, INT32_MAX, 4294967295u, -2),
         {0, 0, 0, 0x80, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryStream file;
        Store(c.settings, file);
        ASSERT_EQ(file.Writes().size(), 1u);
        EXPECT_EQ(Hex(file.Writes().front()), Hex(c.bytes));
        EXPECT_TRUE(file.ReadRequests().empty());
        EXPECT_TRUE(file.Seeks().empty());
    }
}

TEST(SettingsStore, ArchiveDroppedWithoutCloseWritesNothing) {
    MemoryStream file;
    {
        CArchive ar(file, CArchive::store);
        StoreSettingsFields(ar, kDefaults);
    }
    EXPECT_TRUE(file.Writes().empty());
}

TEST(SettingsStore, RandomRecordsComeBackUnchanged) {
    std::mt19937 random(20240611);
    for (int i = 0; i < 2000; ++i) {
        const LauncherSettings s = Settings(static_cast<std::int32_t>(random()), static_cast<std::int32_t>(random()),
                                            random(), static_cast<std::int32_t>(random()));
        MemoryStream written;
        const Bytes bytes = Store(s, written);
        ASSERT_EQ(bytes.size(), 16u);
        MemoryStream reread(bytes);
        const LoadOutcome out = Load(reread);
        EXPECT_FALSE(out.endOfFile);
        ExpectSettings(out.settings, s);
        if (HasFailure())
            break;
    }
}

TEST(SettingsFile, NameAndSize) {
    EXPECT_STREQ(kSettingsFileName, "Quillmere.sav");
    EXPECT_EQ(kSettingsFileSize, 16u);
    EXPECT_EQ(CArchive::kDefaultBufferSize, 4096u);
}

} // namespace
