// Finding the game folder in the real registry, the fallback to the current
// directory, and the order in which a real folder's pictures are listed.
#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "DialogTestSupport.h"
#include "game/GameFolder.h"
#include "platform/Directory.h"

namespace {

// A key of the tests' own under HKLM, so the game's key is never touched.
class ScratchKey {
public:
    ScratchKey() {
        char name[64];
        std::snprintf(name, sizeof name, "SOFTWARE\\Quillmere tests\\%lu", GetCurrentProcessId());
        m_name = name;
    }
    ~ScratchKey() {
        Close();
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, m_name.c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quillmere tests");
    }
    HKEY Create() {
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, m_name.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &m_key, nullptr));
        return m_key;
    }
    void Close() {
        if (m_key)
            RegCloseKey(m_key);
        m_key = nullptr;
    }
    const char* name() const { return m_name.c_str(); }

private:
    std::string m_name;
    HKEY m_key = nullptr;
};

// The 256-byte buffer, followed by guard bytes the lookup must not touch.
struct FolderBuffer {
    char bytes[kGameFolderSize + 4];
    FolderBuffer() { std::memset(bytes, 'X', sizeof bytes); }
    bool GuardIntact() const { return std::memcmp(bytes + kGameFolderSize, "XXXX", 4) == 0; }
};

Bytes Text(const std::string& s, bool terminated) {
    Bytes bytes(s.begin(), s.end());
    if (terminated)
        bytes.push_back(0);
    return bytes;
}

} // namespace

TEST(GameFolderLookup, ValueMustFitTheBufferWithItsTerminator) {
    const std::string chars255(255, 'a');
    struct Row {
        const char* name;
        bool key, value;
        DWORD type;
        Bytes data;
        bool found;
        std::string folder;
    };
    const Row rows[] = {
        {"no key", false, false, REG_SZ, {}, false, ""},
        {"no value", true, false, REG_SZ, {}, false, ""},
        {"255 characters", true, true, REG_SZ, Text(chars255, true), true, chars255},
        {"256 characters", true, true, REG_SZ, Text(chars255 + "b", true), false, ""},
        {"256 bytes, no terminator", true, true, REG_BINARY, Text(chars255 + "b", false), false, ""},
        {"10 bytes, no terminator", true, true, REG_BINARY, Text("D:\\MOO3\\ab", false), true, "D:\\MOO3\\ab"},
        {"trailing backslash", true, true, REG_SZ, Text("C:\\Games\\MOO3\\", true), true, "C:\\Games\\MOO3\\"},
        {"empty", true, true, REG_SZ, Text("", true), false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchKey key;
        if (row.key) {
            HKEY k = key.Create();
            if (row.value) {
                ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(k, "Program Location", 0, row.type, row.data.data(),
                                                        static_cast<DWORD>(row.data.size())));
            }
            key.Close();
        }
        FolderBuffer buffer;
        EXPECT_EQ(row.found, FindGameFolder(key.name(), buffer.bytes));
        EXPECT_TRUE(std::memchr(buffer.bytes, 0, kGameFolderSize)) << "buffer left unterminated";
        EXPECT_EQ(row.folder, std::string(buffer.bytes, strnlen(buffer.bytes, kGameFolderSize)));
        EXPECT_TRUE(buffer.GuardIntact()) << "wrote past the buffer";
    }
}

TEST(GameFolderLookup, ReadAccessIsEnough) {
    ScratchKey key;
    HKEY k = key.Create();
    const Bytes folder = Text("C:\\MOO3", true);
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(k, "Program Location", 0, REG_SZ, folder.data(), 8));
    // Everyone may read the key, nobody may change it: a standard user's
    // view of HKLM on Windows.
    PSECURITY_DESCRIPTOR readOnly = nullptr, open = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)", SDDL_REVISION_1,
                                                                      &readOnly, nullptr));
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KA;;;WD)", SDDL_REVISION_1,
                                                                      &open, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(k, DACL_SECURITY_INFORMATION, readOnly));

    HKEY full = nullptr;
    const bool enforced = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.name(), 0, KEY_ALL_ACCESS, &full) != ERROR_SUCCESS;
    if (full)
        RegCloseKey(full);
    FolderBuffer buffer;
    const bool found = FindGameFolder(key.name(), buffer.bytes);

    RegSetKeySecurity(k, DACL_SECURITY_INFORMATION, open);
    LocalFree(readOnly);
    LocalFree(open);
    // Known Wine limitation: Wine grants every access to HKLM whatever the
    // key's DACL says, so there the lookup would pass with any access.
    if (!enforced)
        GTEST_SKIP() << "registry ACLs are not enforced here (Wine): read-only access cannot be shown";
    EXPECT_TRUE(found) << "a key that may only be read must still give the folder";
    EXPECT_STREQ("C:\\MOO3", buffer.bytes);
}

TEST(GameFolderFallback, IsTheCurrentDirectoryAsAnAbsolutePath) {
    ScratchFolder scratch;
    FolderBuffer buffer;
    UseCurrentFolderAsGameFolder(buffer.bytes);
    EXPECT_EQ(scratch.path(), buffer.bytes);

    ASSERT_TRUE(CreateDirectoryA("sub", nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA("sub"));
    UseCurrentFolderAsGameFolder(buffer.bytes);
    EXPECT_EQ(scratch.path() + "\\sub", buffer.bytes);
    EXPECT_TRUE(buffer.GuardIntact());

    // A current directory of 256 characters or more does not fit: the folder
    // becomes ".", so every path resolves against the current directory (an
    // empty one would put "\\EOTBIR" at the root of the drive).
    std::string deep = scratch.path() + "\\sub";
    while (deep.size() < kGameFolderSize) {
        deep += "\\" + std::string(std::min<size_t>(40, kGameFolderSize - deep.size()), 'd');
        CreateDirectoryA(deep.c_str(), nullptr);
    }
    if (!SetCurrentDirectoryA(deep.c_str()))
        GTEST_SKIP() << "cannot make a " << deep.size() << "-character directory current";
    UseCurrentFolderAsGameFolder(buffer.bytes);
    EXPECT_STREQ(".", buffer.bytes);
    EXPECT_TRUE(buffer.GuardIntact());
    SetCurrentDirectoryA(scratch.path().c_str());
}

TEST(PictureListing, ComesInNtfsOrderWhateverTheFileSystem) {
    ScratchFolder scratch;
    // "*.png" matches the short names of the last three too ("BPNGOL~1.PNG"):
    // switched-off pictures that must not be listed.
    for (const char* name : {"b.png", "A.png", "10.png", "9.png", "Z.png", "_x.png", "[q.png", "UPPER.PNG", "c.txt",
                             "b.pngold", "c.png_bak", "d.png.bak"})
        WriteBytes(name, {1});
    ASSERT_TRUE(CreateDirectoryA("dir.png", nullptr));
    // Upper-cased ordinals: '1' < '9' < 'A' < 'B' < 'D' < 'U' < 'Z' < '[' < '_'.
    const std::vector<std::string> expected = {"10.png", "9.png",  "A.png",  "b.png", "dir.png",
                                               "UPPER.PNG", "Z.png", "[q.png", "_x.png"};
    EXPECT_EQ(expected, ListDirectory(scratch.path() + "\\*.png"));
    EXPECT_EQ(std::vector<std::string>{}, ListDirectory(scratch.path() + "\\missing\\*.png"));
    EXPECT_EQ(std::vector<std::string>{}, ListDirectory(scratch.path() + "\\*.gif"));
}
