// The picture copy on the real file system: what it leaves in the target and
// beside it for each fault it meets, never less than the written copy leaves
// on the same files, and which names the listing counts.
#include <gtest/gtest.h>

#include <algorithm>

#include "DialogTestSupport.h"
#include "platform/Directory.h"
#include "platform/Exceptions.h"
#include "platform/File.h"
#include "platform/Handle.h"
#include "rotation/FileCopier.h"
#include "tests/common/FileTree.h"
#include "tests/common/SharedFile.h"
#include "tests/common/SmallDrives.h"

namespace {

const Bytes kPicture = {0x89, 'P', 'N', 'G', 1, 2, 3, 4};
const Bytes kPrevious = {'o', 'l', 'd'};
// For the 100 KiB drive: a small previous picture and a large one fit beside
// each other, but not two large ones.
const Bytes kLargePicture(60 * 1024, 'L');
const Bytes kLargePrevious(60 * 1024, 'o');
const Bytes kSmallPrevious(10 * 1024, 'o');
const Bytes kPagePicture(4096, 'P'); // one cluster of the drive

// The name the copier gives its first temporary file beside the target, as
// a run killed mid-copy or a second launcher would leave it.
constexpr char kFirstTemporary[] = "pic_waitingbk~a.tmp";

// The files of one case: the source and the target in a folder of its own,
// and a handle held on one of them during the copy.
struct Files {
    std::string source = "pic.png";
    std::string folder = "target";
    std::string target = "target\\pic_waitingbkgd.png";
    bool onSmallDrive = false; // emptied afterwards
    bool onDevice = false;     // a device on a test drive, left as it is
    UniqueHandle held;
    std::string otherName; // another name of the target's bytes, if any
};

UniqueHandle Open(const std::string& name, DWORD access, DWORD share) {
    HANDLE h = CreateFileA(name.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, h) << name;
    return UniqueHandle(h);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A file of 4 GiB and 16 bytes that takes no room: its length wraps to 16
// in 32 bits.
void WriteSparseHuge(const std::string& name) {
    UniqueHandle h(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    LARGE_INTEGER end;
    end.QuadPart = (1LL << 32) + 16;
    ASSERT_TRUE(SetFilePointerEx(h.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(h.get()));
}

// Puts the target, holding `previous`, on one of those drives, and
// `picture` in the source.
void OnSmallDrive(Files& f, const char* drive, const Bytes& previous, const Bytes& picture = kPicture) {
    WriteBytes(f.source, picture);
    f.folder = SmallDrive(drive);
    f.target = f.folder + "\\pic_waitingbkgd.png";
    f.onSmallDrive = true;
    if (!f.folder.empty())
        WriteBytes(f.target, previous);
}

// Makes the target the twin of /dev/full that small-drives.sh puts on a
// drive of its own, where any account may create files beside it, as root
// may in /dev.
void OnFullDevice(Files& f) {
    f.folder = SmallDrive("device");
    f.target = f.folder + "\\full";
    f.onDevice = true;
}

// What the files beside the target hold, together.
std::uint64_t BytesBeside(const Files& f) {
    std::uint64_t bytes = 0;
    for (const std::string& name : Names(f.folder + "\\*")) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        const std::string path = f.folder + "\\" + name;
        if (path != f.target && GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
            bytes += data.nFileSizeLow;
    }
    return bytes;
}

// One condition of the table below: prepares the files past the default ones.
struct Row {
    const char* name;
    std::function<void(Files&)> prepare;
    std::optional<Bytes> after; // the target afterwards; kPrevious where it is left
    const char* error;          // "%s" stands for the target's full path
};

// What one copy did, for its own checks and beside the written copy's.
struct CopyResult {
    Bytes picture;
    std::optional<Bytes> before, after, otherNameAfter;
    std::string error, target;
    bool besideUnchanged = false, attributesKept = false, ownerAndAccessKept = false;
};

// The copy as the written program makes it, the oracle that ours must never
// fall behind: an exclusive read of the whole picture, an exclusive open that
// creates or truncates the target (a failed one is skipped), one write, the
// closes.
void WrittenCopy(const char* source, const char* target) {
    CFile in, out;
    if (!in.Open(source, CFile::modeRead | CFile::shareExclusive))
        return;
    const std::uint64_t length = in.GetLength();
    if (length > 0x7FFFFFFF)
        throw CMemoryException();
    std::vector<char> picture(static_cast<std::size_t>(length));
    in.Read(picture.data(), static_cast<std::uint32_t>(length));
    if (out.Open(target, CFile::modeWrite | CFile::modeCreate | CFile::shareExclusive)) {
        out.Write(picture.data(), static_cast<std::uint32_t>(length));
        out.Close();
    }
    in.Close();
}

void OurCopy(const char* source, const char* target) { EXPECT_TRUE(CFileCopier().Copy(source, target)); }

// Sets up the row's files afresh and copies with `copy`; nothing when the
// row cannot be set up here.
std::optional<CopyResult> RunCopy(const Row& row, void (*copy)(const char*, const char*)) {
    ScratchFolder scratch;
    Files f;
    WriteBytes(f.source, kPicture);
    CreateDirectoryA(f.folder.c_str(), nullptr);
    WriteBytes(f.target, kPrevious);
    row.prepare(f);
    if ((f.onSmallDrive || f.onDevice) && f.folder.empty()) {
        ADD_FAILURE() << "needs Wine and the small drives that ctest mounts (root, or sudo without a password)";
        return std::nullopt;
    }
    CopyResult r{ReadBytes(f.source).value_or(Bytes{}), ReadBytes(f.target)};
    const DWORD attributes = GetFileAttributesA(f.target.c_str()) | FILE_ATTRIBUTE_ARCHIVE;
    const std::string ownerAndAccess = OwnerAndAccess(f.target);
    const std::vector<std::string> beside = Names(f.folder + "\\*");
    const std::uint64_t besideBytes = BytesBeside(f);
    try {
        copy(f.source.c_str(), f.target.c_str());
    } catch (const CException& e) {
        r.error = e.GetErrorMessage();
    }
    f.held.reset();
    r.after = ReadBytes(f.target);
    if (!f.otherName.empty())
        r.otherNameAfter = ReadBytes(f.otherName);
    r.attributesKept = attributes == (GetFileAttributesA(f.target.c_str()) | FILE_ATTRIBUTE_ARCHIVE);
    r.ownerAndAccessKept = ownerAndAccess == OwnerAndAccess(f.target);
    r.besideUnchanged = beside == Names(f.folder + "\\*") && BytesBeside(f) <= besideBytes;
    r.target = f.target;
    // A link goes before the file it names, or the scratch folder could not
    // be removed: Wine lists no dangling link.
    if (!f.otherName.empty())
        EXPECT_TRUE(RemoveLinkThroughUnix(f.target));
    if (f.onSmallDrive)
        RemoveTree(f.folder); // empties the drive; its mount point stays
    return r;
}

} // namespace

TEST(FileCopier, EndsAtLeastAsWellAsTheWrittenCopyOnEveryFault) {
    const std::string slot = std::string("target\\") + kFirstTemporary;
    const Row rows[] = {
        {"copies", [](Files&) {}, kPicture, ""},
        {"source missing", [](Files& f) { DeleteFileA(f.source.c_str()); }, kPrevious, ""},
        {"source held open", [](Files& f) { f.held = Open(f.source, GENERIC_READ, 0); }, kPrevious, ""},
        {"source a folder",
         [](Files& f) { DeleteFileA(f.source.c_str()); CreateDirectoryA(f.source.c_str(), nullptr); }, kPrevious, ""},
        {"empty source", [](Files& f) { WriteBytes(f.source, {}); }, Bytes{}, ""},
        {"target held open", [](Files& f) { f.held = Open(f.target, GENERIC_READ, FILE_SHARE_READ); }, kPrevious, ""},
        {"target read-only", [](Files& f) { SetFileAttributesA(f.target.c_str(), FILE_ATTRIBUTE_READONLY); },
         kPrevious, ""},
        // It stays hidden, as the attributes of every target here stay.
        {"target hidden", [](Files& f) { SetFileAttributesA(f.target.c_str(), FILE_ATTRIBUTE_HIDDEN); }, kPicture,
         ""},
        // As in a game folder that several accounts share: a renamed file
        // would be ours alone, and the other account's copies would fail.
        {"target another account's, writable by all",
         [](Files& f) { EXPECT_TRUE(GiveToAnotherAccountWritableByAll(f.target)) << "needs Wine as root"; },
         kPicture, ""},
        // A link to a picture kept elsewhere: the written copy goes through
        // it, so the kept file gets the picture and the link stays.
        {"target a symbolic link",
         [](Files& f) {
             f.otherName = "kept.png";
             WriteBytes(f.otherName, kPrevious);
             EXPECT_TRUE(LinkThroughUnix("../kept.png", f.target, true)) << "needs Wine";
         },
         kPicture, ""},
        {"target folder missing", [](Files& f) { f.folder = "absent"; f.target = "absent\\pic_waitingbkgd.png"; },
         std::nullopt, ""},
        // Wine refuses to rename over a file that any handle holds open, even
        // one that reads nothing and shares everything, while such a handle
        // leaves an exclusive open free: the rename is refused and the copy
        // writes in place, as under Windows file virtualization.
        {"replace refused", [](Files& f) { f.held = Open(f.target, 0, kShareAll); }, kPicture, ""},
        // The device refuses every byte. Its name is too short for a
        // temporary one, so the write happens in place and fails there.
        {"failing write", OnFullDevice, std::nullopt, "Disk full while accessing %s."},
        // Room for one more picture, not two: the temporary file is gone
        // before the picture is written in place.
        {"replace refused on a nearly full drive",
         [](Files& f) {
             OnSmallDrive(f, "one-copy", kSmallPrevious, kLargePicture);
             f.held = Open(f.target, 0, kShareAll);
         },
         kLargePicture, ""},
        {"nearly full drive", [](Files& f) { OnSmallDrive(f, "one-copy", kLargePrevious, kLargePicture); },
         kLargePicture, ""},
        // Skipped before any byte is written: no "Disk full" for a target
        // that the written copy leaves alone.
        {"nearly full drive, target held open",
         [](Files& f) {
             OnSmallDrive(f, "one-copy", kLargePrevious, kLargePicture);
             f.held = Open(f.target, GENERIC_READ, FILE_SHARE_READ);
         },
         kLargePrevious, ""},
        {"nearly full drive, target read-only",
         [](Files& f) {
             OnSmallDrive(f, "one-copy", kLargePrevious, kLargePicture);
             SetFileAttributesA(f.target.c_str(), FILE_ATTRIBUTE_READONLY);
         },
         kLargePrevious, ""},
        // No room for the picture even once the target is truncated: the
        // written copy cuts the target short, ours reports and keeps it.
        {"drive too full for either route",
         [](Files& f) {
             OnSmallDrive(f, "one-copy", kSmallPrevious, kLargePicture);
             EXPECT_TRUE(FillDrive(f.folder, 40 * 1024));
         },
         kSmallPrevious, "Disk full while accessing %s."},
        // Full, but the written copy fits in the room the target's clusters
        // take now: so must ours, which counts them whole.
        {"full drive, picture no larger than the target's clusters",
         [](Files& f) {
             OnSmallDrive(f, "one-copy", kPrevious, kPagePicture);
             EXPECT_TRUE(FillDrive(f.folder));
         },
         kPagePicture, ""},
        // The target can be rewritten but no file can be created beside it.
        {"no room for a new file", [](Files& f) { OnSmallDrive(f, "no-new-file", kPrevious); }, kPicture, ""},
        // Nothing can be deleted or renamed there: the picture is written in
        // place, and the temporary file, which cannot go, is left empty. (The
        // drive keeps a leftover of the slot from its first use.)
        {"folder where nothing can be deleted",
         [](Files& f) {
             OnSmallDrive(f, "no-delete", kPrevious);
             WriteBytes(f.folder + "\\" + kFirstTemporary, kPrevious);
         },
         kPicture, ""},
        {"temporary name held by another launcher",
         [&](Files& f) { WriteBytes(slot, kPrevious); f.held = Open(slot, GENERIC_WRITE, FILE_SHARE_DELETE); },
         kPicture, ""},
        // Never taken, even where the account may write it (Wine as root):
        // the target would become read-only.
        {"temporary name read-only",
         [&](Files&) { WriteBytes(slot, kPrevious); SetFileAttributesA(slot.c_str(), FILE_ATTRIBUTE_READONLY); },
         kPicture, ""},
        {"too large to hold", [](Files& f) { WriteSparseHuge(f.source); }, kPrevious, "Out of memory."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<CopyResult> written = RunCopy(row, WrittenCopy), ours = RunCopy(row, OurCopy);
        if (!written || !ours)
            continue;
        std::string expectedError = row.error;
        if (const auto at = expectedError.find("%s"); at != std::string::npos)
            expectedError.replace(at, 2, ours->target);
        EXPECT_EQ(expectedError, ours->error);
        if (row.after)
            EXPECT_EQ(Hex(row.after), Hex(ours->after));
        EXPECT_TRUE(ours->besideUnchanged) << "a temporary file was left beside the target, or holds room";
        EXPECT_TRUE(ours->attributesKept) << "the target's attributes changed";
        EXPECT_TRUE(ours->ownerAndAccessKept) << "the target's owner or access list changed";

        // Never worse than the written copy on the same files.
        if (written->after == written->picture)
            EXPECT_EQ(Hex(ours->picture), Hex(ours->after)) << "the written copy lands the picture";
        EXPECT_EQ(Hex(written->otherNameAfter), Hex(ours->otherNameAfter)) << "the target's other name";
        if (written->error.empty())
            EXPECT_EQ("", ours->error) << "the written copy says nothing";
        if (written->after != written->before && written->after != written->picture)
            EXPECT_EQ(Hex(ours->before), Hex(ours->after)) << "the written copy cuts it short: " << Hex(written->after);
    }
}

TEST(FileCopier, LandsEveryCopyWhereTheTargetPathJustFitsAndLeavesNoTemporaryFile) {
    ScratchFolder scratch;
    // A target path of MAX_PATH - 1 characters, the longest that Windows opens.
    const std::string name = "\\pic_waitingbkgd.png";
    const std::size_t folderLength = MAX_PATH - 1 - name.size();
    std::string folder = scratch.path();
    while (folder.size() < folderLength) {
        const std::size_t room = folderLength - folder.size();
        folder += "\\" + std::string(room > 61 ? 50 : room - 1, 'd');
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    }
    const std::string target = folder + name;
    WriteBytes(target, kPrevious);
    // What a run killed in the middle of a copy leaves.
    WriteBytes(folder + "\\" + kFirstTemporary, kPrevious);
    const Bytes second = {'P', 'N', 'G', '2'};
    WriteBytes("1.png", kPicture);
    WriteBytes("2.png", second);

    for (int copy = 1; copy <= 300; ++copy) {
        EXPECT_TRUE(CFileCopier().Copy(copy % 2 ? "1.png" : "2.png", target.c_str()));
        if (ReadBytes(target) != (copy % 2 ? kPicture : second)) {
            ADD_FAILURE() << "copy " << copy << " did not land in " << target;
            break;
        }
    }
    std::vector<std::string> beside = Names(folder + "\\*");
    std::sort(beside.begin(), beside.end());
    EXPECT_EQ((std::vector<std::string>{".", "..", "pic_waitingbkgd.png"}), beside);
}
