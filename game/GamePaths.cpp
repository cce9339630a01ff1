// Joining the game folder and a suffix.
#include "game/GamePaths.h"

std::string GamePath(const char* gameFolder, const char* suffix) {
    return std::string(gameFolder) + suffix;
}
