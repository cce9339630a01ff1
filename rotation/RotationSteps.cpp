// The rotation steps over the real folder and files.
#include "rotation/RotationSteps.h"

#include "platform/Directory.h"
#include "rotation/FileCopier.h"
#include "rotation/PicturePaths.h"
#include "rotation/StepDecisions.h"

namespace {

// The name-order walk, kept for the whole life of the program and shared by
// every step: a Run, or a switch to Random and back, does not restart it.
std::int32_t s_bWalking = 0;
PictureNames s_hWalk;     // the listing of the current pass
std::size_t s_walkEntry = 0;

// The random sequence starts once, with the program.
CPseudoRandom s_random;

// A fresh listing of the game folder's pictures, for a step that asks for one.
ListPictures PicturesOf(const char* gameFolder) {
    return [gameFolder] { return ListDirectory(PicturePattern(gameFolder)); };
}

void CopyPicture(CFileCopier& copier, const char* gameFolder, const std::string& name) {
    copier.Copy(PicturePath(gameFolder, name).c_str(), TargetPicturePath(gameFolder).c_str());
}

} // namespace

std::uint32_t CountPictures(const std::string& pattern) {
    return static_cast<std::uint32_t>(ListDirectory(pattern).size());
}

void StepByName(const char* gameFolder) {
    static CFileCopier copier;
    const auto picture = NextByName(s_bWalking, s_hWalk, s_walkEntry, PicturesOf(gameFolder));
    if (picture)
        CopyPicture(copier, gameFolder, *picture);
}

void StepRandom(const char* gameFolder, std::uint32_t pictureCount) {
    static CFileCopier copier;
    const auto picture = ChooseRandomPicture(s_random, pictureCount, PicturesOf(gameFolder));
    if (picture)
        CopyPicture(copier, gameFolder, *picture);
}
