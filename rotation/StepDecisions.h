// What each rotation tick copies, decided over a listing of picture names in
// listing order. The listing itself is the caller's (a directory on Windows,
// a table in the tests), asked for only when a decision needs a fresh one.
#pragma once

#include "rotation/PseudoRandom.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using PictureNames = std::vector<std::string>;
using ListPictures = std::function<PictureNames()>;

// One name-order tick over the walk state `walking` (nonzero while a pass is
// under way), `pass` (the listing of the current pass) and `entry` (the entry
// last reached). A pass takes its listing when it starts and hands out one
// entry per tick; the tick after the last entry copies nothing and ends the
// pass, so the next one lists afresh and sees pictures added or removed.
// Returns the picture this tick copies, or nothing.
std::optional<std::string> NextByName(std::int32_t& walking, PictureNames& pass, std::size_t& entry,
                                      const ListPictures& list);

// The picture this random tick copies, or nothing: one draw on every call,
// before anything else; entry r mod `pictureCount` of a fresh listing, where
// `pictureCount` is the count taken at Run. Nothing when that count is 0 or
// the entry lies beyond the listing (pictures removed since Run).
std::optional<std::string> ChooseRandomPicture(CPseudoRandom& random, std::uint32_t pictureCount,
                                               const ListPictures& list);
