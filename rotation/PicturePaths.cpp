// Building the rotation's paths on the game folder.
#include "rotation/PicturePaths.h"

#include "game/GamePaths.h"

std::string PicturePattern(const char* gameFolder) { return GamePath(gameFolder, kPicturePatternSuffix); }

std::string PicturePath(const char* gameFolder, const std::string& listedName) {
    return GamePath(gameFolder, kPictureFolderSuffix) + listedName;
}

std::string TargetPicturePath(const char* gameFolder) { return GamePath(gameFolder, kTargetPictureSuffix); }
