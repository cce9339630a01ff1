// The three paths of the rotation, each the game folder text followed
// directly by a fixed suffix. They are built as strings of whatever length
// the folder gives: no buffer of ours can overflow or cut a path.
#pragma once

#include <string>

inline constexpr char kPicturePatternSuffix[] = "\\EOTBIR\\*.png";
inline constexpr char kPictureFolderSuffix[] = "\\EOTBIR\\";
inline constexpr char kTargetPictureSuffix[] =
    "\\GameDataSets\\Classic_01\\GameAssets\\Common\\Graphics\\UI\\PlayingGame\\pic_waitingbkgd.png";

// "<folder>\EOTBIR\*.png": what the listing of the pictures is asked for.
std::string PicturePattern(const char* gameFolder);
// "<folder>\EOTBIR\<name>": one listed picture.
std::string PicturePath(const char* gameFolder, const std::string& listedName);
// The game's waiting picture, which every copy replaces.
std::string TargetPicturePath(const char* gameFolder);
