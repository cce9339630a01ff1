// Checks Quillmere's compiled resources byte by byte, read back from this
// test's own module: dialog templates, About string, icon, logo, version, manifest.
//
// The expected values are the launcher's documented layout, written out by
// hand. The resource compiler adds style bits of its own to some statements,
// so only the compiled template shows what the dialog manager will get.

#include <windows.h>
#include <winver.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ui/resource.h"

namespace {

std::string Hex(DWORD v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08lX", static_cast<unsigned long>(v));
    return buf;
}

// The raw bytes of one resource of this executable; empty when it is missing.
std::vector<uint8_t> ResourceBytes(LPCSTR type, WORD id) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(nullptr, found);
    const DWORD size = SizeofResource(nullptr, found);
    const auto* data = static_cast<const uint8_t*>(LockResource(loaded));
    if (!data) return {};
    return std::vector<uint8_t>(data, data + size);
}

// A field that is either a string or a 16-bit ordinal (0xFFFF marker), as
// the menu, class and caption fields of dialog templates are.
struct NameOrOrdinal {
    bool isOrdinal = false;
    WORD ordinal = 0;
    std::string text;
};

// Sequential little-endian reader over a dialog template. A read past the end
// sets `overrun` and yields zeros, so a truncated template fails the test
// instead of reading stray memory.
class TemplateReader {
public:
    explicit TemplateReader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

    bool overrun = false;

    uint8_t Byte() {
        if (pos_ + 1 > bytes_.size()) { overrun = true; pos_ = bytes_.size(); return 0; }
        return bytes_[pos_++];
    }
    WORD Word() {
        const WORD lo = Byte();
        return static_cast<WORD>(lo | (Byte() << 8));
    }
    DWORD Dword() {
        const DWORD lo = Word();
        return lo | (static_cast<DWORD>(Word()) << 16);
    }
    short Short() { return static_cast<short>(Word()); }

    // Items start on a DWORD boundary counted from the template's start.
    void AlignDword() { pos_ = (pos_ + 3) & ~size_t{3}; }
    void Skip(size_t n) { for (size_t i = 0; i < n; ++i) Byte(); }

    // Zero-terminated UTF-16 text; the templates here are plain ASCII, and
    // anything else shows up as '?' in a failure message.
    std::string Text() {
        std::string out;
        for (WORD c = Word(); c != 0 && !overrun; c = Word())
            out += c < 0x80 ? static_cast<char>(c) : '?';
        return out;
    }
    NameOrOrdinal NameOrOrd() {
        NameOrOrdinal r;
        const WORD first = Word();
        if (first == 0xFFFF) {
            r.isOrdinal = true;
            r.ordinal = Word();
        } else if (first != 0) {
            r.text += first < 0x80 ? static_cast<char>(first) : '?';
            r.text += Text();
        }
        return r;
    }

private:
    const std::vector<uint8_t>& bytes_;
    size_t pos_ = 0;
};

// The dialog manager's predefined classes may be given by atom or by name;
// both mean the same window class.
std::string ClassName(const NameOrOrdinal& cls) {
    if (cls.isOrdinal) {
        switch (cls.ordinal) {
        case 0x0080: return "BUTTON";
        case 0x0081: return "EDIT";
        case 0x0082: return "STATIC";
        case 0x0083: return "LISTBOX";
        case 0x0084: return "SCROLLBAR";
        case 0x0085: return "COMBOBOX";
        default: return "atom " + Hex(cls.ordinal);
        }
    }
    std::string upper = cls.text;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return upper;
}

// A caption in one printable form: text in quotes, a resource as "#<id>".
std::string Caption(const NameOrOrdinal& caption) {
    return caption.isOrdinal ? "#" + std::to_string(caption.ordinal) : "\"" + caption.text + "\"";
}

struct DialogItem {
    DWORD helpId = 0, exStyle = 0, style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int32_t id = 0;
    std::string cls, caption;
    WORD extraBytes = 0;
};

struct Dialog {
    bool extended = false;
    WORD version = 0, signature = 0;
    DWORD helpId = 0, exStyle = 0, style = 0;
    WORD itemCount = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu, windowClass;
    std::string title;
    WORD pointSize = 0, weight = 0;
    uint8_t italic = 0, charset = 0;
    std::string typeface;
    std::vector<DialogItem> items;
    bool overrun = false;
};

// Parses a DLGTEMPLATEEX (marked by version 1 and signature 0xFFFF) or a
// plain DLGTEMPLATE, with all their items.
Dialog ParseDialog(const std::vector<uint8_t>& bytes) {
    TemplateReader in(bytes);
    Dialog d;
    d.extended = bytes.size() >= 4 && bytes[0] == 1 && bytes[1] == 0 && bytes[2] == 0xFF && bytes[3] == 0xFF;
    if (d.extended) {
        d.version = in.Word();
        d.signature = in.Word();
        d.helpId = in.Dword();
        d.exStyle = in.Dword();
        d.style = in.Dword();
    } else {
        d.style = in.Dword();
        d.exStyle = in.Dword();
    }
    d.itemCount = in.Word();
    d.x = in.Short();
    d.y = in.Short();
    d.cx = in.Short();
    d.cy = in.Short();
    d.menu = in.NameOrOrd();
    d.windowClass = in.NameOrOrd();
    d.title = in.Text();
    if (d.style & (DS_SETFONT | DS_SHELLFONT)) {
        d.pointSize = in.Word();
        if (d.extended) {
            d.weight = in.Word();
            d.italic = in.Byte();
            d.charset = in.Byte();
        }
        d.typeface = in.Text();
    }
    for (WORD i = 0; i < d.itemCount && !in.overrun; ++i) {
        in.AlignDword();
        DialogItem item;
        if (d.extended) {
            item.helpId = in.Dword();
            item.exStyle = in.Dword();
            item.style = in.Dword();
        } else {
            item.style = in.Dword();
            item.exStyle = in.Dword();
        }
        item.x = in.Short();
        item.y = in.Short();
        item.cx = in.Short();
        item.cy = in.Short();
        item.id = d.extended ? static_cast<int32_t>(in.Dword()) : in.Short();
        item.cls = ClassName(in.NameOrOrd());
        item.caption = Caption(in.NameOrOrd());
        item.extraBytes = in.Word();
        in.Skip(item.extraBytes);
        d.items.push_back(item);
    }
    d.overrun = in.overrun;
    return d;
}

struct ExpectedItem {
    int32_t id;
    const char* cls;
    const char* caption;  // quoted text, or "#<resource id>"
    short x, y, cx, cy;
    DWORD style;
};

void ExpectItems(const Dialog& d, const std::vector<ExpectedItem>& expected) {
    ASSERT_EQ(d.items.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const ExpectedItem& e = expected[i];
        const DialogItem& a = d.items[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1) + " " + e.caption);
        EXPECT_EQ(a.id, e.id);
        EXPECT_EQ(a.cls, e.cls);
        EXPECT_EQ(a.caption, e.caption);
        EXPECT_EQ(a.x, e.x);
        EXPECT_EQ(a.y, e.y);
        EXPECT_EQ(a.cx, e.cx);
        EXPECT_EQ(a.cy, e.cy);
        EXPECT_EQ(Hex(a.style), Hex(e.style));
        EXPECT_EQ(Hex(a.exStyle), Hex(0));
        EXPECT_EQ(a.helpId, 0u);
        EXPECT_EQ(a.extraBytes, 0u);
    }
}

// --- dialog templates -------------------------------------------------------

TEST(LauncherDialogTemplate, Header) {
    const Dialog d = ParseDialog(ResourceBytes(RT_DIALOG, IDD_LAUNCHER_DIALOG));
    ASSERT_TRUE(d.extended) << "template 102 must be an extended template";
    EXPECT_FALSE(d.overrun);
    EXPECT_EQ(d.version, 1);
    EXPECT_EQ(d.signature, 0xFFFF);
    EXPECT_EQ(d.helpId, 0u);
    EXPECT_EQ(Hex(d.style), Hex(0x90C80840));
    EXPECT_EQ(Hex(d.exStyle), Hex(0x00040000));
    EXPECT_EQ(d.itemCount, 11);
    EXPECT_EQ(d.x, 0);
    EXPECT_EQ(d.y, 0);
    EXPECT_EQ(d.cx, 180);
    EXPECT_EQ(d.cy, 197);
    EXPECT_EQ(Caption(d.menu), "\"\"") << "no menu";
    EXPECT_EQ(Caption(d.windowClass), "\"\"") << "the standard dialog class";
    EXPECT_EQ(d.title, "Quillmere");
    EXPECT_EQ(d.pointSize, 8);
    EXPECT_EQ(d.weight, 0);
    EXPECT_EQ(d.italic, 0);
    EXPECT_EQ(d.charset, 1) << "DEFAULT_CHARSET";
    EXPECT_EQ(d.typeface, "MS Sans Serif");
}

TEST(LauncherDialogTemplate, ControlsInTabOrder) {
    const Dialog d = ParseDialog(ResourceBytes(RT_DIALOG, IDD_LAUNCHER_DIALOG));
    EXPECT_FALSE(d.overrun);
    ExpectItems(d, {
        {2,    "BUTTON", "\"Exit\"",                                    120, 28,  50,  14, 0x50010000},
        {1000, "BUTTON", "\"Run\"",                                     120, 8,   50,  14, 0x50010000},
        {1001, "BUTTON", "\"Use EOTBIR:\"",                             91,  119, 59,  10, 0x50010023},
        {1002, "STATIC", "#136",                                        9,   7,   105, 91, 0x50001A0E},
        {1003, "BUTTON", "\"Pre-Warp\"",                                120, 48,  50,  10, 0x58010023},
        {1011, "EDIT",   "\"\"",                                        133, 131, 17,  12, 0x50810080},
        {-1,   "STATIC", "\"Cycle Time (sec):\"",                       73,  131, 55,  8,  0x5002000C},
        {-1,   "BUTTON", "\"End Of Turn Background Image Rotation: \"", 7,   104, 160, 86, 0x50000007},
        {1012, "BUTTON", "\"Name\"",                                    86,  166, 35,  10, 0x50000009},
        {1013, "BUTTON", "\"Random\"",                                  31,  166, 43,  10, 0x50000009},
        {-1,   "BUTTON", "\"Pics ordered by...\"",                      19,  149, 133, 33, 0x50000007},
    });
}

TEST(AboutDialogTemplate, Header) {
    const Dialog d = ParseDialog(ResourceBytes(RT_DIALOG, IDD_ABOUTBOX));
    EXPECT_FALSE(d.extended) << "template 100 must be a standard template";
    EXPECT_FALSE(d.overrun);
    EXPECT_EQ(Hex(d.style), Hex(0x80C800C0));
    EXPECT_EQ(Hex(d.exStyle), Hex(0));
    EXPECT_EQ(d.itemCount, 3);
    EXPECT_EQ(d.x, 0);
    EXPECT_EQ(d.y, 0);
    EXPECT_EQ(d.cx, 235);
    EXPECT_EQ(d.cy, 55);
    EXPECT_EQ(Caption(d.menu), "\"\"");
    EXPECT_EQ(Caption(d.windowClass), "\"\"");
    EXPECT_EQ(d.title, "About Quillmere");
    EXPECT_EQ(d.pointSize, 8);
    EXPECT_EQ(d.typeface, "MS Sans Serif");
}

TEST(AboutDialogTemplate, ControlsInTabOrder) {
    const Dialog d = ParseDialog(ResourceBytes(RT_DIALOG, IDD_ABOUTBOX));
    EXPECT_FALSE(d.overrun);
    ExpectItems(d, {
        {-1, "STATIC", "#128",                      11,  17, 20,  20, 0x50000003},
        {-1, "STATIC", "\"Quillmere Version 1.0\"", 40,  10, 119, 8,  0x50020080},
        {1,  "BUTTON", "\"OK\"",                    178, 7,  50,  14, 0x50030001},
    });
}

// --- string table -----------------------------------------------------------

TEST(StringTable, AboutMenuText) {
    char buf[64] = {};
    const int len = LoadStringA(GetModuleHandleA(nullptr), IDS_ABOUTBOX, buf, sizeof buf);
    EXPECT_EQ(len, 19);
    EXPECT_STREQ(buf, "&About Quillmere...");
}

// --- icon and logo ----------------------------------------------------------

#pragma pack(push, 2)
struct GroupIconDir {
    WORD reserved, type, count;
};
struct GroupIconEntry {
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

TEST(ApplicationIcon, GroupHoldsThreeWellFormedImages) {
    const std::vector<uint8_t> group = ResourceBytes(RT_GROUP_ICON, IDR_MAINFRAME);
    ASSERT_GE(group.size(), sizeof(GroupIconDir));
    GroupIconDir dir;
    std::memcpy(&dir, group.data(), sizeof dir);
    EXPECT_EQ(dir.reserved, 0);
    EXPECT_EQ(dir.type, 1) << "1 = icon, 2 = cursor";
    ASSERT_EQ(dir.count, 3);
    ASSERT_EQ(group.size(), sizeof dir + 3 * sizeof(GroupIconEntry));

    struct Image { int size; int bitCount; int colorCount; };  // colorCount 0 means 256 or more
    const Image expected[] = {{64, 8, 0}, {32, 4, 16}, {16, 4, 16}};
    for (const Image& e : expected) {
        SCOPED_TRACE(std::to_string(e.size) + "x" + std::to_string(e.size));
        bool seen = false;
        for (int i = 0; i < dir.count; ++i) {
            GroupIconEntry entry;
            std::memcpy(&entry, group.data() + sizeof dir + i * sizeof entry, sizeof entry);
            if (entry.width != e.size) continue;
            ASSERT_FALSE(seen) << "two images of this size";
            seen = true;
            EXPECT_EQ(entry.height, e.size);
            EXPECT_EQ(entry.bitCount, e.bitCount);
            EXPECT_EQ(entry.colorCount, e.colorCount);
            EXPECT_EQ(entry.planes, 1);

            // The image itself: a DIB twice as high as the icon (colour bits,
            // then the 1-bpp transparency mask), sized exactly as announced.
            const std::vector<uint8_t> image = ResourceBytes(RT_ICON, entry.id);
            ASSERT_EQ(image.size(), entry.bytesInRes);
            ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
            BITMAPINFOHEADER bih;
            std::memcpy(&bih, image.data(), sizeof bih);
            EXPECT_EQ(bih.biSize, 40u);
            EXPECT_EQ(bih.biWidth, e.size);
            EXPECT_EQ(bih.biHeight, 2 * e.size);
            EXPECT_EQ(bih.biBitCount, e.bitCount);
            EXPECT_EQ(bih.biCompression, static_cast<DWORD>(BI_RGB));
            const size_t colourRow = ((e.size * e.bitCount + 31) / 32) * 4;
            const size_t maskRow = ((e.size + 31) / 32) * 4;
            const size_t palette = 4u << e.bitCount;
            EXPECT_EQ(image.size(), 40 + palette + e.size * (colourRow + maskRow));
        }
        EXPECT_TRUE(seen) << "no image of this size";
    }
}

TEST(LogoBitmap, IsA128By117BottomUpDibWith256Colours) {
    const std::vector<uint8_t> dib = ResourceBytes(RT_BITMAP, IDB_LOGO);
    // 40-byte header, 256 four-byte colours, 117 rows of 128 bytes.
    EXPECT_EQ(dib.size(), 16040u);
    ASSERT_GE(dib.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER bih;
    std::memcpy(&bih, dib.data(), sizeof bih);
    EXPECT_EQ(bih.biSize, 40u);
    EXPECT_EQ(bih.biWidth, 128);
    EXPECT_EQ(bih.biHeight, 117) << "positive: rows stored bottom-up";
    EXPECT_EQ(bih.biPlanes, 1);
    EXPECT_EQ(bih.biBitCount, 8);
    EXPECT_EQ(bih.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_TRUE(bih.biClrUsed == 0 || bih.biClrUsed == 256) << bih.biClrUsed;
    EXPECT_TRUE(bih.biSizeImage == 0 || bih.biSizeImage == 117u * 128u) << bih.biSizeImage;
}

// --- version ----------------------------------------------------------------

class VersionInfo : public ::testing::Test {
protected:
    void SetUp() override {
        char path[MAX_PATH] = {};
        ASSERT_NE(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
        ASSERT_NE(size, 0u) << "no version resource, error " << GetLastError();
        block_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block_.data()));
    }

    std::string String(const char* name) {
        const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
        char* value = nullptr;
        UINT len = 0;
        if (!VerQueryValueA(block_.data(), key.c_str(), reinterpret_cast<void**>(&value), &len) || !value)
            return "<missing>";
        return std::string(value);
    }

    std::vector<uint8_t> block_;
};

// The project's version, "a.b.c.d", as its four numbers.
std::vector<unsigned> ProjectVersion() {
    unsigned v[4] = {};
    EXPECT_EQ(4, std::sscanf(QUILLMERE_PROJECT_VERSION, "%u.%u.%u.%u", &v[0], &v[1], &v[2], &v[3]));
    return {v[0], v[1], v[2], v[3]};
}

TEST_F(VersionInfo, FixedVersionIsTheProjects) {
    const std::vector<unsigned> v = ProjectVersion();
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(block_.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
    ASSERT_GE(len, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(Hex(fixed->dwSignature), Hex(0xFEEF04BD));
    EXPECT_EQ(Hex(fixed->dwFileVersionMS), Hex(v[0] << 16 | v[1]));
    EXPECT_EQ(Hex(fixed->dwFileVersionLS), Hex(v[2] << 16 | v[3]));
    EXPECT_EQ(Hex(fixed->dwProductVersionMS), Hex(v[0] << 16 | v[1]));
    EXPECT_EQ(Hex(fixed->dwProductVersionLS), Hex(v[2] << 16 | v[3]));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST_F(VersionInfo, UsEnglishUnicodeStrings) {
    const std::vector<unsigned> v = ProjectVersion();
    const std::string version = std::to_string(v[0]) + ", " + std::to_string(v[1]) + ", " + std::to_string(v[2]) +
                                ", " + std::to_string(v[3]);  // "1, 0, 0, 1"
    struct { const char* name; std::string value; } const cases[] = {
        {"FileVersion", version},
        {"ProductVersion", version},
        {"FileDescription", "Quillmere MFC Application"},
        {"ProductName", "Quillmere Application"},
        {"InternalName", "Quillmere"},
        {"OriginalFilename", "Quillmere.EXE"},
    };
    for (const auto& c : cases) EXPECT_EQ(String(c.name), c.value) << c.name;

    WORD* translation = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(block_.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &len));
    ASSERT_EQ(len, 4u);
    EXPECT_EQ(Hex(translation[0]), Hex(0x0409)) << "US English";
    EXPECT_EQ(translation[1], 1200) << "Unicode";
}

// --- manifest ---------------------------------------------------------------

TEST(Manifest, DeclaresSupportedSystemsButNoExecutionLevel) {
    const std::vector<uint8_t> bytes = ResourceBytes(MAKEINTRESOURCEA(24), 1);  // RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID
    ASSERT_FALSE(bytes.empty()) << "no RT_MANIFEST resource 1";
    const std::string xml(bytes.begin(), bytes.end());
    EXPECT_EQ(xml.rfind("<?xml", 0), 0u) << xml.substr(0, 40);

    // A declared level (any of them) would end file virtualization for the
    // launcher but not for the game it starts.
    EXPECT_EQ(xml.find("<requestedExecutionLevel"), std::string::npos);
    EXPECT_EQ(xml.find("<trustInfo"), std::string::npos);
    EXPECT_NE(xml.find("name=\"Quillmere.Launcher\" version=\"" QUILLMERE_PROJECT_VERSION "\""), std::string::npos)
        << "the assembly's version is not the project's";

    const char* const supportedOs[] = {
        "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
    };
    for (const char* id : supportedOs)
        EXPECT_NE(xml.find(std::string("<supportedOS Id=\"") + id + "\""), std::string::npos) << id;
}

}  // namespace
