// The picture copy on the real file system: what it leaves in the target and
// beside it for each fault it meets, and which names the listing counts.
#include <gtest/gtest.h>

#include "DialogTestSupport.h"
#include "platform/Directory.h"
#include "platform/Exceptions.h"
#include "platform/Handle.h"
#include "rotation/FileCopier.h"

namespace {

const Bytes kPicture = {0x89, 'P', 'N', 'G', 1, 2, 3, 4};
const Bytes kPrevious = {'o', 'l', 'd'};

// The files of one case: the source and the target in a folder of its own.
struct Files {
    std::string source = "pic.png";
    std::string folder = "target";
    std::string target = "target\\pic_waitingbkgd.png";
};

UniqueHandle Open(const std::string& name, DWORD access, DWORD share) {
    HANDLE h = CreateFileA(name.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, h) << name;
    return UniqueHandle(h);
}

// A file of 4 GiB and 16 bytes that takes no room: its length wraps to 16
// in 32 bits.
void WriteSparseHuge(const std::string& name) {
    UniqueHandle h(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    LARGE_INTEGER end;
    end.QuadPart = (1LL << 32) + 16;
    ASSERT_TRUE(SetFilePointerEx(h.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(h.get()));
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
         [](Files& f) {
             return Open(f.target, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
         },
         kPicture, ""},
        // The device refuses every byte; it cannot be renamed over, so the
        // write happens in place and fails there.
        {"failing write",
         [](Files& f) {
             f.folder = "Z:\\dev";
             f.target = "Z:\\dev\\full";
             return UniqueHandle();
         },
         std::nullopt, "Disk full while accessing %s."},
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
    }
}
