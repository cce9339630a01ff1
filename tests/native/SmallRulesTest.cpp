// Small portable rules of the dialog and the game folder: where the minimised
// icon is drawn, which system commands open the About box, and path joining.
#include "app/IconPosition.h"
#include "app/SystemCommand.h"
#include "game/GamePaths.h"
#include "rotation/PicturePaths.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

TEST(MinimisedIcon, CentredWithHalvingTowardZero) {
    const struct {
        std::int32_t clientWidth, clientHeight, iconWidth, iconHeight;
        std::int32_t x, y;
    } cases[] = {
        {100, 101, 32, 32, 34, 35},
        {0, 0, 32, 32, -15, -15}, // -31 / 2 is -15, not -16
        {32, 32, 32, 32, 0, 0},
        {33, 34, 32, 32, 1, 1},
        {31, 30, 32, 32, 0, 0},   // 0 / 2 and -1 / 2
        {29, 28, 32, 32, -1, -1}, // -2 / 2 and -3 / 2
        {64, 48, 16, 16, 24, 16},
        {-10, -11, 32, 32, -20, -21}, // -41 / 2 and -42 / 2
        {-1, -2, 32, 32, -16, -16},
        {100, 100, -32, -32, 66, 66},
        {0, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const IconPoint p = MinimisedIconPosition(c.clientWidth, c.clientHeight, c.iconWidth, c.iconHeight);
        EXPECT_EQ(p.x, c.x) << c.clientWidth << "x" << c.clientHeight << " icon " << c.iconWidth;
        EXPECT_EQ(p.y, c.y) << c.clientWidth << "x" << c.clientHeight << " icon " << c.iconHeight;
    }
}

constexpr std::uint32_t kAboutBoxId = 16;

TEST(AboutBoxCommand, LowFourBitsAreIgnored) {
    for (std::uint32_t id = 0; id <= 64; ++id)
        EXPECT_EQ(IsAboutBoxCommand(id, kAboutBoxId), id >= 16 && id <= 31) << "command " << id;
}

TEST(AboutBoxCommand, PlatformCommandsAreNotIt) {
    const struct {
        std::uint32_t id;
        bool about;
    } cases[] = {
        {0xF000, false}, // SC_SIZE
        {0xF010, false}, // SC_MOVE
        {0xF012, false}, // SC_MOVE with the drag bits Windows adds
        {0xF020, false}, // SC_MINIMIZE
        {0xF030, false}, // SC_MAXIMIZE
        {0xF060, false}, // SC_CLOSE
        {0xF090, false}, // SC_MOUSEMENU
        {0xF100, false}, // SC_KEYMENU
        {0xF120, false}, // SC_RESTORE
        {0xF180, false}, // SC_CONTEXTHELP
        {0x0110, false}, // 16 plus a higher bit inside the mask
        {0x10010, true}, // bits above the mask are cleared too
        {0xFFFFFF1F, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsAboutBoxCommand(c.id, kAboutBoxId), c.about) << std::hex << "command 0x" << c.id;
}

TEST(GamePaths, FolderTextThenSuffixUnchanged) {
    const struct {
        const char* folder;
        const char* suffix;
        const char* path;
    } cases[] = {
        {"C:\\Games\\MOO3", kPicturePatternSuffix, "C:\\Games\\MOO3\\EOTBIR\\*.png"},
        {"C:\\Games\\MOO3", kPictureFolderSuffix, "C:\\Games\\MOO3\\EOTBIR\\"},
        {"C:\\Games\\MOO3", kTargetPictureSuffix,
         "C:\\Games\\MOO3\\GameDataSets\\Classic_01\\GameAssets\\Common\\Graphics\\UI\\PlayingGame\\pic_waitingbkgd.png"},
        // A folder ending in a backslash keeps it: the separator doubles.
        {"C:\\Games\\MOO3\\", kPicturePatternSuffix, "C:\\Games\\MOO3\\\\EOTBIR\\*.png"},
        {"C:\\", kPictureFolderSuffix, "C:\\\\EOTBIR\\"},
        {"", kPicturePatternSuffix, "\\EOTBIR\\*.png"},
        {"Z:\\home\\player\\.wine\\drive_c\\Program Files\\Master of Orion III", kPicturePatternSuffix,
         "Z:\\home\\player\\.wine\\drive_c\\Program Files\\Master of Orion III\\EOTBIR\\*.png"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GamePath(c.folder, c.suffix), c.path) << "folder \"" << c.folder << "\"";
}

TEST(GamePaths, FixedNames) {
    EXPECT_STREQ(kGameRegistryKey, "SOFTWARE\\Infogrames\\Master of Orion III");
    EXPECT_STREQ(kGameRegistryValue, "Program Location");
    EXPECT_STREQ(kGameCommandLine, "Moo3.exe");
    EXPECT_EQ(kGameFolderSize, 256u);
}

} // namespace
