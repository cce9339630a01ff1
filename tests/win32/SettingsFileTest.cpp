// The settings file on the real file system: what a load takes from files
// that are missing, short, long, folders or held open, and that it never
// changes them; what a save leaves when the file cannot be replaced; and the
// same through the real launcher dialog, with its reports and closing save.
#include <gtest/gtest.h>

#include <cstdio>

#include "DialogTestSupport.h"
#include "MessageBoxCapture.h"
#include "platform/Archive.h"
#include "platform/Exceptions.h"
#include "platform/File.h"
#include "platform/Handle.h"
#include "settings/SettingsFile.h"
#include "tests/common/FileTree.h"
#include "tests/common/SharedFile.h"
#include "tests/common/SmallDrives.h"
#include "ui/resource.h"

namespace {

constexpr char kFile[] = "Quillmere.sav";
constexpr char kPastEnd[] = "An attempt was made to access an unnamed file past its end.";
constexpr std::uint32_t kUnread = 0xA5A5A5A5;

// Stands in for the dialog's record: the four fields in file order.
struct FieldRecorder : CObject {
    std::uint32_t fields[4] = {kUnread, kUnread, kUnread, kUnread};
    int loads = 0, stores = 0;
    void Serialize(CArchive& ar) override {
        if (ar.IsLoading()) {
            ++loads;
            for (std::uint32_t& f : fields)
                ar >> f;
        } else {
            ++stores;
            for (std::uint32_t f : fields)
                ar << f;
        }
    }
};

// How a test prepares "Quillmere.sav".
using Prepare = std::function<void()>;

Prepare Nothing() {
    return [] {};
}

Prepare FileOf(Bytes bytes) {
    return [bytes] { WriteBytes(kFile, bytes); };
}

Prepare FolderOfThatName() {
    return [] { EXPECT_TRUE(CreateDirectoryA(kFile, nullptr)); };
}

Prepare ReadOnly(Bytes bytes) {
    return [bytes] {
        WriteBytes(kFile, bytes);
        EXPECT_TRUE(SetFileAttributesA(kFile, FILE_ATTRIBUTE_READONLY));
    };
}

// Another program's handle on the file, sharing nothing.
UniqueHandle HoldOpen() {
    HANDLE h = CreateFileA(kFile, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, h);
    return UniqueHandle(h);
}

// A handle that reads nothing and shares everything, as Explorer or a
// scanner may hold: it blocks replacing the file by rename, not opening it.
UniqueHandle HoldWithoutAccess() {
    HANDLE h = CreateFileA(kFile, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, h);
    return UniqueHandle(h);
}

bool IsFolder(const char* name) {
    const DWORD attributes = GetFileAttributesA(name);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Replace(std::string pattern, const std::string& path) {
    return pattern.replace(pattern.find("%s"), 2, path);
}

Bytes Filler(size_t size) {
    Bytes bytes = LittleEndian({0, 0, 1000, 1});
    while (bytes.size() < size)
        bytes.push_back(static_cast<std::uint8_t>(bytes.size()));
    return bytes;
}

const Bytes kStored = LittleEndian({0, 0, 1000, 1});

} // namespace

// --- straight through LoadSettingsFile and SaveSettingsFile ------------------

TEST(SettingsFileLoad, TakesTheFirstSixteenBytesAndNeverChangesTheFile) {
    const std::uint32_t all[4] = {0, 0, 1000, 1};
    const std::uint32_t none[4] = {kUnread, kUnread, kUnread, kUnread};
    const std::uint32_t three[4] = {0, 0, 1000, kUnread};
    struct Row {
        const char* name;
        Prepare prepare;
        bool hold;
        int loads;
        const std::uint32_t* fields;
        const char* error;
    };
    const Row rows[] = {
        {"missing", Nothing(), false, 0, none, nullptr},
        {"folder of that name", FolderOfThatName(), false, 0, none, nullptr},
        {"held open without sharing", FileOf(kStored), true, 0, none, nullptr},
        {"empty", FileOf({}), false, 1, none, kPastEnd},
        {"15 bytes", FileOf(Bytes(kStored.begin(), kStored.end() - 1)), false, 1, three, kPastEnd},
        {"16 bytes", FileOf(kStored), false, 1, all, nullptr},
        {"20 bytes", FileOf(Filler(20)), false, 1, all, nullptr},
        {"5000 bytes", FileOf(Filler(5000)), false, 1, all, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder scratch;
        row.prepare();
        const std::optional<Bytes> before = ReadBytes(kFile);
        UniqueHandle held = row.hold ? HoldOpen() : UniqueHandle();
        FieldRecorder record;
        std::string error;
        try {
            LoadSettingsFile(record);
        } catch (const CException& e) {
            error = e.GetErrorMessage();
        }
        EXPECT_EQ(row.error ? row.error : "", error);
        EXPECT_EQ(row.loads, record.loads);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(row.fields[i], record.fields[i]) << "field " << i;
        held.reset();
        EXPECT_EQ(Hex(before), Hex(ReadBytes(kFile))) << "loading changed the file";
    }
}

namespace {

// The file prepared on the 100 KiB drive, made current, whose room is then
// filled.
Prepare OnFullDrive(Prepare prepare) {
    return [prepare] {
        const std::string drive = SmallDrive("one-copy");
        if (drive.empty() || !SetCurrentDirectoryA(drive.c_str())) {
            ADD_FAILURE() << "needs Wine and the small drives that ctest mounts (root, or sudo)";
        } else {
            prepare();
            EXPECT_TRUE(FillDrive(drive));
        }
    };
}

// Empties the drive that a row made current, if it did.
void EmptyDriveIfCurrent(const ScratchFolder& scratch) {
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof folder, folder);
    if (folder != scratch.path())
        RemoveTree(folder); // its mount point stays
}

} // namespace

TEST(SettingsFileSave, WritesSixteenBytesOrLeavesThePreviousFileWhole) {
    const Bytes written = LittleEndian({1, 2, 3, 4});
    struct Row {
        const char* name;
        Prepare prepare;
        std::function<UniqueHandle()> hold;
        const char* error; // "%s" stands for the full path
    };
    const auto none = [] { return UniqueHandle(); };
    const Row rows[] = {
        {"no file", Nothing(), none, ""},
        {"20-byte file", FileOf(Filler(20)), none, ""},
        {"folder of that name", FolderOfThatName(), none, "Access to %s was denied."},
        {"read-only attribute", ReadOnly(kStored), none, "Access to %s was denied."},
        // The rename is refused, so the file is written in place, where the
        // holder's exclusive open shows.
        {"held open without sharing", FileOf(kStored), HoldOpen,
         "A sharing violation occurred while accessing %s."},
        {"held by a handle that reads nothing", FileOf(kStored), HoldWithoutAccess, ""},
        // No room for a temporary file, but for the 16 bytes in place.
        {"full drive", OnFullDrive(FileOf(kStored)), none, ""},
        {"full drive, read-only attribute", OnFullDrive(ReadOnly(kStored)), none, "Access to %s was denied."},
        // Written in place, so the other account may still save its own.
        {"another account's, writable by all",
         [] { WriteBytes(kFile, kStored); EXPECT_TRUE(GiveToAnotherAccountWritableByAll(kFile)) << "needs Wine as root"; },
         none, ""},
        // A second name, shared with another install: written through it.
        {"a second hard link",
         [] { WriteBytes(kFile, kStored); EXPECT_TRUE(LinkThroughUnix(kFile, "shared.sav", false)) << "needs Wine"; },
         none, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder scratch;
        row.prepare();
        const std::string path = FullPathOf(kFile);
        const std::optional<Bytes> before = ReadBytes(kFile);
        const std::string ownerAndAccess = OwnerAndAccess(kFile);
        UniqueHandle held = row.hold();
        FieldRecorder record;
        for (std::uint32_t i = 0; i < 4; ++i)
            record.fields[i] = i + 1;
        std::string error;
        try {
            SaveSettingsFile(record);
        } catch (const CException& e) {
            error = e.GetErrorMessage();
        }
        held.reset();
        EXPECT_EQ(1, record.stores) << "the record must be asked even when the file cannot be written";
        EXPECT_EQ(*row.error ? Replace(row.error, path) : "", error);
        if (error.empty()) {
            EXPECT_EQ(Hex(written), Hex(ReadBytes(kFile)));
        } else if (!before) {
            EXPECT_TRUE(IsFolder(kFile));
        } else {
            EXPECT_EQ(Hex(before), Hex(ReadBytes(kFile))) << "a failed save changed the file";
        }
        EXPECT_EQ(0u, Names("*.tmp").size()) << "temporary file left behind";
        if (const std::optional<Bytes> shared = ReadBytes("shared.sav"))
            EXPECT_EQ(Hex(ReadBytes(kFile)), Hex(shared)) << "the file's other name holds other bytes";
        if (before)
            EXPECT_EQ(ownerAndAccess, OwnerAndAccess(kFile)) << "the file's owner or access list changed";
        SetFileAttributesA(kFile, FILE_ATTRIBUTE_NORMAL);
        EmptyDriveIfCurrent(scratch);
    }
}

TEST(SettingsFileSave, FolderThatRefusesNewFilesIsReportedWithThePath) {
    // Linux's sysfs refuses new files even to root, so under Wine Z:\sys is a
    // folder the launcher may not write in, as Program Files is to a standard
    // Windows user. Windows has no folder that refuses an administrator.
    if (!RunningUnderWine())
        GTEST_SKIP() << "needs Wine's view of /sys";
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA("Z:\\sys"));
    FieldRecorder record;
    std::string error;
    try {
        LoadSettingsFile(record);
        SaveSettingsFile(record);
    } catch (const CException& e) {
        error = e.GetErrorMessage();
    }
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(0, record.loads);
    EXPECT_EQ(1, record.stores);
    EXPECT_EQ("Access to Z:\\sys\\Quillmere.sav was denied.", error);
}

// --- through the launcher dialog -----------------------------------------------

namespace {

class SettingsDialog : public LauncherFixture {
protected:
    LauncherUnderTest dlg_;

    // Opens the launcher, runs `body` in it, and closes it with Exit.
    void RunLauncher(std::function<void()> body) {
        DialogScript script({WaitVisible(dlg_), Do(body), Do([&] { PostClick(dlg_.m_hWnd, IDCANCEL); })});
        EXPECT_EQ(IDCANCEL, dlg_.DoModal());
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(0u, Names("*.tmp").size()) << "temporary file left behind";
    }

    void ExpectShown(bool useEotbir, bool preWarp, const char* cycleTime, bool byName) {
        HWND w = dlg_.m_hWnd;
        EXPECT_EQ(useEotbir ? BST_CHECKED : BST_UNCHECKED, CheckState(w, IDC_USE_EOTBIR));
        EXPECT_EQ(preWarp ? BST_CHECKED : BST_UNCHECKED, CheckState(w, IDC_PRE_WARP));
        EXPECT_EQ(cycleTime, ItemText(w, IDC_CYCLE_TIME));
        EXPECT_EQ(byName ? BST_CHECKED : BST_UNCHECKED, CheckState(w, IDC_ORDER_NAME));
        EXPECT_EQ(byName ? BST_UNCHECKED : BST_CHECKED, CheckState(w, IDC_ORDER_RANDOM));
    }

    void ExpectRecord(std::int32_t useEotbir, std::int32_t preWarp, std::uint32_t cycleTime,
                      std::int32_t orderByName) {
        EXPECT_EQ(useEotbir, dlg_.m_bUseEotbir);
        EXPECT_EQ(preWarp, dlg_.m_bPreWarp);
        EXPECT_EQ(cycleTime, dlg_.m_nCycleTime);
        EXPECT_EQ(orderByName, dlg_.m_bOrderByName);
    }
};

} // namespace

TEST_F(SettingsDialog, ShortFileIsReportedBeforeTheWindowAndItsFieldsLastUntilAnExchange) {
    // 0, 0 and 555 are whole; the order field lacks its last byte.
    WriteBytes(kFile, {0, 0, 0, 0, 0, 0, 0, 0, 0x2B, 0x02, 0, 0, 7, 0, 0});
    RunLauncher([&] {
        const std::vector<CapturedBox> boxes = capture_.Take();
        EXPECT_EQ(Describe({ExpectedBox(BoxIcon::stop, kPastEnd)}), Describe(boxes));
        if (!boxes.empty()) {
            EXPECT_FALSE(boxes[0].ownerVisible) << "the report must come before the window shows";
        }
        ExpectShown(true, false, "60", false);
        ExpectRecord(0, 0, 555, 0);

        // A cycle time that does not parse keeps the one read from the file.
        SetDlgItemTextA(dlg_.m_hWnd, IDC_CYCLE_TIME, "abc");
        EXPECT_FALSE(dlg_.UpdateData(TRUE));
        ExpectRecord(1, 0, 555, 0);
        SetDlgItemTextA(dlg_.m_hWnd, IDC_CYCLE_TIME, "60");
    });
    EXPECT_EQ(Describe({ExpectedBox(BoxIcon::exclamation, "Please enter a positive integer.")}),
              Describe(capture_.Take()));
    EXPECT_EQ(Hex(LittleEndian({1, 0, 60, 0})), Hex(ReadBytes(kFile)));
}

TEST_F(SettingsDialog, StoredValuesAreShownRepairedOrKeptAndWrittenBack) {
    WriteBytes(kFile, LittleEndian({5, 2, 5000, 7}));
    RunLauncher([&] {
        EXPECT_EQ(Describe({}), Describe(capture_.Take())) << "loading checks nothing";
        // 5 is no check state and becomes 0; 2 is handed over as the
        // indeterminate state, which a two-state box shows checked
        // (platform behaviour); the order flag stays 7 and checks "Name".
        ExpectShown(false, true, "5000", true);
        ExpectRecord(0, 2, 5000, 7);
    });
    // The closing exchange complains about 5000, stores it all the same, and
    // takes the check box as it now reports itself (1 on this platform).
    const std::vector<CapturedBox> boxes = capture_.Take();
    EXPECT_EQ(Describe({ExpectedBox(BoxIcon::exclamation, "Please enter an integer between 1 and 1000.")}),
              Describe(boxes));
    EXPECT_EQ(Hex(LittleEndian({0, 1, 5000, 7})), Hex(ReadBytes(kFile)));
}

TEST_F(SettingsDialog, LongFileIsUsedUnchangedWhileOpenAndRewrittenAsSixteenBytes) {
    for (size_t size : {20u, 5000u}) {
        SCOPED_TRACE(testing::Message() << size << " bytes");
        const Bytes original = Filler(size);
        WriteBytes(kFile, original);
        LauncherUnderTest dlg;
        DialogScript script({WaitVisible(dlg), Do([&] {
                                 EXPECT_EQ("1000", ItemText(dlg.m_hWnd, IDC_CYCLE_TIME));
                                 EXPECT_EQ(BST_CHECKED, CheckState(dlg.m_hWnd, IDC_ORDER_NAME));
                                 EXPECT_EQ(Hex(original), Hex(ReadBytes(kFile)));
                                 PostClick(dlg.m_hWnd, IDCANCEL);
                             })});
        EXPECT_EQ(IDCANCEL, dlg.DoModal());
        EXPECT_EQ(Hex(kStored), Hex(ReadBytes(kFile)));
    }
    EXPECT_EQ(Describe({}), Describe(capture_.Take()));
}

TEST_F(SettingsDialog, UnwritableFileIsReportedAtCloseAndTheOldOneStays) {
    const std::string path = scratch_.path() + "\\" + kFile;
    const std::string denied = "Access to " + path + " was denied.";
    const std::string sharing = "A sharing violation occurred while accessing " + path + ".";
    struct Row {
        const char* name;
        Prepare prepare;
        bool hold;
        bool loaded; // the stored values reached the controls
    };
    const Row rows[] = {
        {"folder of that name", FolderOfThatName(), false, false},
        {"read-only attribute", ReadOnly(kStored), false, true},
        {"held open without sharing", FileOf(kStored), true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.prepare();
        const std::optional<Bytes> before = ReadBytes(kFile);
        UniqueHandle held = row.hold ? HoldOpen() : UniqueHandle();
        LauncherUnderTest dlg;
        HWND window = nullptr;
        DialogScript script({WaitVisible(dlg), Do([&] {
                                 window = dlg.m_hWnd;
                                 EXPECT_EQ(Describe({}), Describe(capture_.Boxes()));
                                 EXPECT_EQ(row.loaded ? "1000" : "60", ItemText(window, IDC_CYCLE_TIME));
                                 // The closing exchange runs even though the save fails.
                                 SetDlgItemTextA(window, IDC_CYCLE_TIME, "0");
                                 PostClick(window, IDCANCEL);
                             })});
        EXPECT_EQ(IDCANCEL, dlg.DoModal());
        EXPECT_FALSE(IsWindow(window)) << "the window must still be destroyed";
        held.reset();

        const std::vector<CapturedBox> boxes = capture_.Take();
        ASSERT_EQ(2u, boxes.size()) << Describe(boxes);
        EXPECT_EQ(Describe({ExpectedBox(BoxIcon::exclamation, "Please enter an integer between 1 and 1000.")}),
                  Describe({boxes[0]}));
        EXPECT_EQ(row.hold ? sharing : denied, boxes[1].text);
        EXPECT_EQ(BoxIcon::stop, boxes[1].icon);
        EXPECT_FALSE(boxes[1].ownerVisible);

        if (before) {
            EXPECT_EQ(Hex(before), Hex(ReadBytes(kFile)));
        } else {
            EXPECT_TRUE(IsFolder(kFile));
        }
        EXPECT_EQ(0u, Names("*.tmp").size()) << "temporary file left behind";
        SetFileAttributesA(kFile, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(kFile);
        RemoveDirectoryA(kFile);
    }
}
