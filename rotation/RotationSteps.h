// The picture count taken at Run and the two ways a tick steps through the
// pictures, over the EOTBIR folder of the game folder.
#pragma once

#include <cstdint>
#include <string>

// The number of pictures the listing of `pattern` yields, 0 for none.
std::uint32_t CountPictures(const std::string& pattern);

// One name-order step: the next picture of the current pass, or nothing at
// the end of a pass. The walk belongs to the program, not to a Run.
void StepByName(const char* gameFolder);

// One random step among the `pictureCount` pictures counted at Run.
void StepRandom(const char* gameFolder, std::uint32_t pictureCount);
