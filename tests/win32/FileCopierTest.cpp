// The picture copy on the real file system: what it leaves in the target and
// beside it for each fault it meets, and which names the listing counts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "DialogTestSupport.h"
#include "platform/Directory.h"
#include "platform/Exceptions.h"
#include "platform/Handle.h"
#include "rotation/FileCopier.h"

namespace {

const Bytes kPicture = {0x89, 'P', 'N', 'G', 1, 2, 3, 4};
const Bytes kPrevious = {'o', 'l', 'd'};
// For the 100 KiB drive: either fits beside the other, but not two pictures.
const Bytes kLargePicture(60 * 1024, 'L');
const Bytes kSmallPrevious(10 * 1024, 'o');

// The name the copier gives its first temporary file beside the target, as
// a run killed mid-copy or a second launcher would leave it.
constexpr char kFirstTemporary[] = "pic_waitingbk~a.tmp";

// The files of one case: the source and the target in a folder of its own.
struct Files {
    std::string source = "pic.png";
    std::string folder = "target";
    std::string target = "target\\pic_waitingbkgd.png";
    bool onSmallDrive = false; // the target is removed afterwards
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

// A drive that ctest mounted for this test (small-drives.sh), as Wine sees
// it; empty when there is none.
std::string SmallDrive(const char* name) {
    const char* folder = std::getenv("QUILLMERE_SMALL_DRIVES");
    if (!folder || !RunningUnderWine())
        return {};
    std::string path = std::string("Z:") + folder + "/" + name;
    std::replace(path.begin(), path.end(), '/', '\\');
    ULARGE_INTEGER total;
    const bool small = GetDiskFreeSpaceExA(path.c_str(), nullptr, &total, nullptr) && total.QuadPart < (1u << 20);
    return small ? path : std::string();
}

// Puts the target, holding `previous`, on one of those drives.
void OnSmallDrive(Files& f, const char* drive, const Bytes& previous) {
    f.folder = SmallDrive(drive);
    f.target = f.folder + "\\pic_waitingbkgd.png";
    f.onSmallDrive = true;
    if (!f.folder.empty())
        WriteBytes(f.target, previous);
}

bool CanCreateIn(const std::string& folder) {
    const std::string probe = folder + "\\quillmere-probe.tmp";
    UniqueHandle h(CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    const bool created = h.valid();
    h.reset();
    DeleteFileA(probe.c_str());
    return created;
}

} // namespace

TEST(FileCopier, ReplacesTheTargetWholeOrLeavesItAndNothingBeside) {
    struct Row {
        const char* name;
        // Prepares the files past the default ones; a handle it returns is
        // held during the copy.
        std::function<UniqueHandle(Files&)> prepare;
        std::optional<Bytes> after; // the target afterwards; kPrevious where it is left
        const char* error;          // "%s" stands for the target's full path
    };
    const Row rows[] = {
        {"copies", [](Files&) { return UniqueHandle(); }, kPicture, ""},
        {"source missing", [](Files& f) { DeleteFileA(f.source.c_str()); return UniqueHandle(); }, kPrevious, ""},
        {"source held open", [](Files& f) { return Open(f.source, GENERIC_READ, 0); }, kPrevious, ""},
        {"source a folder",
         [](Files& f) {
             DeleteFileA(f.source.c_str());
             CreateDirectoryA(f.source.c_str(), nullptr);
             return UniqueHandle();
         },
         kPrevious, ""},
        {"empty source", [](Files& f) { WriteBytes(f.source, {}); return UniqueHandle(); }, Bytes{}, ""},
        {"target held open", [](Files& f) { return Open(f.target, GENERIC_READ, FILE_SHARE_READ); }, kPrevious, ""},
        {"target read-only",
         [](Files& f) {
             SetFileAttributesA(f.target.c_str(), FILE_ATTRIBUTE_READONLY);
             return UniqueHandle();
         },
         kPrevious, ""},
        {"target folder missing",
         [](Files& f) {
             f.target = "absent\\pic_waitingbkgd.png";
             f.folder = "absent";
             return UniqueHandle();
         },
         std::nullopt, ""},
        // Wine refuses to rename over a file that any handle holds open, even
        // one that reads nothing and shares everything, while such a handle
        // leaves an exclusive open free: the rename is refused and the copy
        // writes in place, as under Windows file virtualization.
        {"replace refused",
         [](Files& f) { return Open(f.target, 0, kShareAll); },
         kPicture, ""},
        // The device refuses every byte. Its name is too short for a
        // temporary one, so the write happens in place and fails there.
        {"failing write",
         [](Files& f) {
             f.folder = "Z:\\dev";
             f.target = "Z:\\dev\\full";
             return UniqueHandle();
         },
         std::nullopt, "Disk full while accessing %s."},
        // Room for one more picture, not two: the temporary file is gone
        // before the picture is written in place.
        {"replace refused on a nearly full drive",
         [](Files& f) {
             WriteBytes(f.source, kLargePicture);
             OnSmallDrive(f, "one-copy", kSmallPrevious);
             return f.folder.empty() ? UniqueHandle() : Open(f.target, 0, kShareAll);
         },
         kLargePicture, ""},
        // The target can be rewritten but no file can be created beside it.
        {"no room for a new file",
         [](Files& f) {
             OnSmallDrive(f, "no-new-file", kPrevious);
             return UniqueHandle();
         },
         kPicture, ""},
        {"temporary name held by another launcher",
         [](Files& f) {
             WriteBytes(f.folder + "\\" + kFirstTemporary, kPrevious);
             return Open(f.folder + "\\" + kFirstTemporary, GENERIC_WRITE, FILE_SHARE_DELETE);
         },
         kPicture, ""},
        {"too large to hold", [](Files& f) { WriteSparseHuge(f.source); return UniqueHandle(); }, kPrevious,
         "Out of memory."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder scratch;
        Files files;
        WriteBytes(files.source, kPicture);
        CreateDirectoryA(files.folder.c_str(), nullptr);
        WriteBytes(files.target, kPrevious);
        UniqueHandle held = row.prepare(files);
        if (files.folder == "Z:\\dev" && !(RunningUnderWine() && CanCreateIn(files.folder))) {
            ADD_FAILURE() << "needs Wine with a writable /dev (root)";
            continue;
        }
        if (files.onSmallDrive && files.folder.empty()) {
            ADD_FAILURE() << "needs Wine and the small drives that ctest mounts (root, or sudo without a password)";
            continue;
        }
        const std::vector<std::string> beside = Names(files.folder + "\\*");

        std::string error;
        try {
            EXPECT_TRUE(CFileCopier().Copy(files.source.c_str(), files.target.c_str()));
        } catch (const CException& e) {
            error = e.GetErrorMessage();
        }
        held.reset();

        std::string expectedError = row.error;
        if (const auto at = expectedError.find("%s"); at != std::string::npos)
            expectedError.replace(at, 2, files.target);
        EXPECT_EQ(expectedError, error);
        if (row.after)
            EXPECT_EQ(Hex(row.after), Hex(ReadBytes(files.target)));
        EXPECT_EQ(beside, Names(files.folder + "\\*")) << "a temporary file was left beside the target";
        SetFileAttributesA(files.target.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (files.onSmallDrive)
            DeleteFileA(files.target.c_str());
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
