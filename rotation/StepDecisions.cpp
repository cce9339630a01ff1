// The name-order walk and the random choice.
#include "rotation/StepDecisions.h"

std::optional<std::string> NextByName(std::int32_t& walking, PictureNames& pass, std::size_t& entry,
                                      const ListPictures& list) {
    if (walking == 0) {
        pass = list();
        if (pass.empty())
            return std::nullopt;
        walking = 1;
        entry = 0;
        return pass[0];
    }
    if (entry + 1 < pass.size())
        return pass[++entry];
    // The pass has run out: this tick copies nothing, and the listing is let
    // go until the next pass takes a fresh one.
    walking = 0;
    PictureNames().swap(pass);
    return std::nullopt;
}

std::optional<std::string> ChooseRandomPicture(CPseudoRandom& random, std::uint32_t pictureCount,
                                               const ListPictures& list) {
    const std::uint32_t r = random.Next();
    if (pictureCount == 0)
        return std::nullopt;
    const std::uint32_t k = r % pictureCount;
    PictureNames names = list();
    if (k >= names.size())
        return std::nullopt;
    return std::move(names[k]);
}
