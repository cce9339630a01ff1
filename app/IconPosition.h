// Where the minimised dialog draws its icon.
#pragma once

#include <cstdint>

struct IconPoint {
    std::int32_t x;
    std::int32_t y;
};

// Centres the icon in the client area. The halving truncates toward zero, so
// a client area smaller than the icon puts a 32-pixel icon at -15, not -16.
IconPoint MinimisedIconPosition(std::int32_t clientWidth, std::int32_t clientHeight,
                                std::int32_t iconWidth, std::int32_t iconHeight);
