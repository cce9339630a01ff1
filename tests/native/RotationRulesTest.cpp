// The rotation's portable rules: the random sequence, what each name-order
// and random tick copies over a listing, and which listed names count as
// pictures.
#include "platform/NameMatch.h"
#include "rotation/PseudoRandom.h"
#include "rotation/StepDecisions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What a run of ticks copied, "-" for a tick that copied nothing.
using Ticks = std::vector<std::string>;

TEST(PseudoRandom, StartsWithTheRunTimeLibrarySequence) {
    CPseudoRandom random;
    const std::uint32_t expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (std::uint32_t value : expected)
        EXPECT_EQ(value, random.Next());
}

TEST(RandomStep, DrawsEveryTickAndCopiesEntryRModTheCountAtRun) {
    const PictureNames five = {"a.png", "b.png", "c.png", "d.png", "e.png"};
    const struct {
        const char* name;
        std::uint32_t countAtRun;
        PictureNames listed;
        Ticks copied;
    } cases[] = {
        // 41, 18467, 6334, 26500, 19169 modulo 5.
        {"five pictures", 5, five, {"b.png", "c.png", "e.png", "a.png", "e.png"}},
        {"one picture", 1, {"a.png"}, {"a.png", "a.png", "a.png"}},
        {"none counted", 0, five, {"-", "-", "-"}},
        // Two removed since Run: entries 4 no longer exist, the rest do.
        {"fewer than counted", 5, {"a.png", "b.png", "c.png"}, {"b.png", "c.png", "-", "a.png", "-"}},
        {"folder emptied", 5, {}, {"-", "-"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CPseudoRandom random;
        int listings = 0;
        Ticks copied;
        for (size_t tick = 0; tick < c.copied.size(); ++tick) {
            const auto picture = ChooseRandomPicture(random, c.countAtRun, [&] {
                ++listings;
                return c.listed;
            });
            copied.push_back(picture ? *picture : "-");
        }
        EXPECT_EQ(c.copied, copied);
        EXPECT_EQ(c.countAtRun == 0 ? 0 : static_cast<int>(c.copied.size()), listings) << "a fresh listing per tick";
        // Every tick drew once, whatever it copied.
        CPseudoRandom reference;
        for (size_t i = 0; i < c.copied.size(); ++i)
            reference.Next();
        EXPECT_EQ(reference.Next(), random.Next());
    }
}

TEST(NameWalk, CopiesEachPictureOncePerPassThenPausesOneTick) {
    const struct {
        const char* name;
        std::vector<PictureNames> listings; // what each pass's listing yields, in turn
        Ticks copied;
    } cases[] = {
        {"three pictures", {{"a", "b", "c"}}, {"a", "b", "c", "-", "a", "b"}},
        {"one picture", {{"a"}}, {"a", "-", "a", "-"}},
        {"no picture", {{}}, {"-", "-", "-"}},
        // The next pass lists afresh: added and removed files show there.
        {"folder changes between passes", {{"a", "b"}, {"b", "c", "d"}}, {"a", "b", "-", "b", "c", "d", "-"}},
        {"pictures appear later", {{}, {}, {"x"}}, {"-", "-", "x", "-"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::int32_t walking = 0;
        PictureNames pass;
        std::size_t entry = 0;
        size_t listed = 0;
        Ticks copied;
        for (size_t tick = 0; tick < c.copied.size(); ++tick) {
            const auto picture = NextByName(walking, pass, entry, [&] {
                return c.listings[std::min(listed++, c.listings.size() - 1)];
            });
            copied.push_back(picture ? *picture : "-");
        }
        EXPECT_EQ(c.copied, copied);
    }
}

TEST(NameMatch, OnlyNamesThatEndInPngCountWhateverTheCase) {
    const struct {
        const char* name;
        const char* wildcard;
        bool matches;
    } cases[] = {
        {"a.png", "*.png", true},
        {"e.PNG", "*.png", true},
        {"Mixed.PnG", "*.png", true},
        {".png", "*.png", true},
        {"a.png.png", "*.png", true},
        // What the short names of these give away to "*.png" alone.
        {"b.pngold", "*.png", false},
        {"c.png_bak", "*.png", false},
        {"d.png.bak", "*.png", false},
        {"png", "*.png", false},
        {"apng", "*.png", false},
        {"x.pn", "*.png", false},
        {"anything", "*", true},
        {"no dot", "*.*", true},
        {"a.b", "?.?", true},
        {"ab.b", "?.?", false},
        {"aXbXc", "*X*X*", true},
        {"aXb", "*X*X*", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.matches, NameMatchesWildcard(c.name, c.wildcard)) << c.name << " against " << c.wildcard;
}

} // namespace
