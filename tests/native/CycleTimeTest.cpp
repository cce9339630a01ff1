// The cycle-time field's rules: how its text is judged, the range check with
// its message, how a value is written back, and what a check box is handed.
#include "platform/DataExchangeRules.h"
#include "settings/LauncherSettings.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>

using namespace std::string_literals;

namespace {

enum Verdict {
    kNotANumber, // "Please enter a positive integer.", the record keeps its value
    kOutOfRange, // parses; "Please enter an integer between 1 and 1000."
    kAccepted,   // parses to 1..1000, no message
};

struct ParseCase {
    std::string text;
    Verdict verdict;
    std::uint32_t value; // what the record holds afterwards when the text parses
};

// Escapes control characters so that a failing row can be recognised.
std::string Shown(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out + "\"";
}

const std::string k31Zeros(31, '0');

const ParseCase kParseCases[] = {
    // Plain numbers and the range bounds.
    {"60", kAccepted, 60},
    {"1", kAccepted, 1},
    {"1000", kAccepted, 1000},
    {"1001", kOutOfRange, 1001},
    {"0", kOutOfRange, 0},
    {"00", kOutOfRange, 0},
    {"  0", kOutOfRange, 0},
    {"0  ", kOutOfRange, 0},
    {"\t0\t", kOutOfRange, 0},
    // Blanks and tabs around the digits, one "+", leading zeros.
    {"  42 ", kAccepted, 42},
    {"\t42\t", kAccepted, 42},
    {" \t 42 \t ", kAccepted, 42},
    {"+42", kAccepted, 42},
    {"  +42", kAccepted, 42},
    {"007", kAccepted, 7},
    {"0005  ", kAccepted, 5},
    // Zero not spelt with a leading "0", signs, and no number at all.
    {"+0", kNotANumber, 0},
    {"-0", kNotANumber, 0},
    {"-5", kNotANumber, 0},
    {"  -5", kNotANumber, 0},
    {"\t-5", kNotANumber, 0},
    {"+", kNotANumber, 0},
    {"-", kNotANumber, 0},
    {"++5", kNotANumber, 0},
    {"+-5", kNotANumber, 0},
    {"+ 5", kNotANumber, 0},
    {"", kNotANumber, 0},
    {"   ", kNotANumber, 0},
    {"\t", kNotANumber, 0},
    {"abc", kNotANumber, 0},
    // Something left after the digits.
    {"12abc", kNotANumber, 0},
    {"1 2", kNotANumber, 0},
    {"1.5", kNotANumber, 0},
    {"0x10", kNotANumber, 0},
    {"5+", kNotANumber, 0},
    {"0-", kNotANumber, 0},
    {"1e3", kNotANumber, 0},
    {"5 \t x", kNotANumber, 0},
    {"5\n", kNotANumber, 0},  // only blanks and tabs may follow
    {"0\r", kNotANumber, 0},
    {"5\xA0", kNotANumber, 0}, // a no-break space is not a blank
    {"\x80", kNotANumber, 0},
    // Beyond 32 bits: the largest value, every digit still consumed.
    {"4294967295", kOutOfRange, 4294967295u},
    {"4294967296", kOutOfRange, 4294967295u},
    {"99999999999", kOutOfRange, 4294967295u},
    {"99999999999  ", kOutOfRange, 4294967295u},
    {"18446744073709551615", kOutOfRange, 4294967295u}, // 2^64 - 1
    {"18446744073709551616", kOutOfRange, 4294967295u}, // 2^64: no wrap to 0
    {"42949672950", kOutOfRange, 4294967295u},
    {"99999999999x", kNotANumber, 0},
    // Only the first 31 characters count.
    {k31Zeros + "5", kOutOfRange, 0},
    {std::string(30, '0') + "5", kAccepted, 5},
    {std::string(30, ' ') + "7", kAccepted, 7},
    {std::string(31, ' ') + "7", kNotANumber, 0},
    {"12" + std::string(29, ' ') + "x", kAccepted, 12},
    {"12" + std::string(28, ' ') + "x", kNotANumber, 0},
    {std::string(21, '0') + "4294967295", kOutOfRange, 4294967295u},
    {std::string(22, '0') + "4294967296", kOutOfRange, 429496729u}, // the last "6" is cut off
    // Text after an embedded NUL does not count.
    {"7\0abc"s, kAccepted, 7},
    {"12\0"s, kAccepted, 12},
    {"\0"s "5", kNotANumber, 0},
    {"  \0"s "5", kNotANumber, 0},
    // White space other than blanks and tabs reaches the C conversion, which
    // skips it and then accepts a sign, "-" included (negation modulo 2^32);
    // the lead character is then not "0", so a zero result fails.
    {"\n5", kAccepted, 5},
    {"\f7", kAccepted, 7},
    {"\r+7", kAccepted, 7},
    {"\n-5", kOutOfRange, 4294967291u},
    {" \n-5", kOutOfRange, 4294967291u},
    {"\t\v-1", kOutOfRange, 4294967295u},
    {"\n-4294967295", kAccepted, 1},
    {"\n-4294967296", kOutOfRange, 4294967295u},
    {"\n-99999999999", kOutOfRange, 4294967295u},
    {"\n0", kNotANumber, 0},
    {"\n-0", kNotANumber, 0},
    {"\n\n", kNotANumber, 0},
    {"\n-5\n", kNotANumber, 0},
    {"\n- 5", kNotANumber, 0},
};

TEST(CycleTimeParse, JudgesEachTextAsTheFieldMust) {
    constexpr std::uint32_t kPrevious = 77;
    for (const ParseCase& c : kParseCases) {
        SCOPED_TRACE("text " + Shown(c.text));
        std::uint32_t value = kPrevious;
        const bool parsed = ddx::ParseUnsignedText(c.text, value);
        if (c.verdict == kNotANumber) {
            EXPECT_FALSE(parsed);
            EXPECT_EQ(value, kPrevious) << "a text that does not parse must leave the record alone";
            continue;
        }
        EXPECT_TRUE(parsed);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(ddx::InRange(value, LauncherSettings::kMinCycleTime, LauncherSettings::kMaxCycleTime),
                  c.verdict == kAccepted)
            << "value " << value;
    }
}

TEST(CycleTimeParse, FailureLeavesAnyPreviousValue) {
    for (std::uint32_t previous : {0u, 1u, 60u, 4294967295u}) {
        std::uint32_t value = previous;
        EXPECT_FALSE(ddx::ParseUnsignedText("abc", value));
        EXPECT_EQ(value, previous);
    }
}

TEST(CycleTimeRange, BoundsAreInclusiveAndUnsigned) {
    const struct {
        std::uint32_t value;
        bool inRange;
    } cases[] = {{0, false}, {1, true}, {2, true}, {999, true}, {1000, true}, {1001, false},
                 {0x80000000u, false}, {4294967295u, false}};
    for (const auto& c : cases)
        EXPECT_EQ(ddx::InRange(c.value, 1, 1000), c.inRange) << "value " << c.value;
}

TEST(CycleTimeMessages, TextsAreTheOnesTheUserReads) {
    EXPECT_STREQ(ddx::kParseUIntMessage, "Please enter a positive integer.");
    EXPECT_EQ(ddx::FormatMinMaxUIntMessage(LauncherSettings::kMinCycleTime, LauncherSettings::kMaxCycleTime),
              "Please enter an integer between 1 and 1000.");
    // Both bounds are written as unsigned numbers.
    EXPECT_EQ(ddx::FormatMinMaxUIntMessage(0, 4294967295u),
              "Please enter an integer between 0 and 4294967295.");
}

TEST(CycleTimeFormat, WritesPlainUnsignedDecimal) {
    const struct {
        std::uint32_t value;
        const char* text;
    } cases[] = {{0, "0"}, {7, "7"}, {60, "60"}, {1000, "1000"}, {1001, "1001"},
                 {0x80000000u, "2147483648"}, {4294967295u, "4294967295"}};
    for (const auto& c : cases)
        EXPECT_EQ(ddx::FormatUnsigned(c.value), c.text) << "value " << c.value;
}

TEST(CheckBoxLoad, OnlyZeroOneAndTwoSurvive) {
    const struct {
        std::int32_t stored;
        std::int32_t handed;
    } cases[] = {{-1, 0}, {0, 0}, {1, 1}, {2, 2}, {3, 0}, {5, 0}, {INT_MIN, 0}, {INT_MAX, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(ddx::CheckValueForLoad(c.stored), c.handed) << "stored " << c.stored;
}

TEST(LauncherSettings, DefaultsAreThoseOfAFirstStart) {
    LauncherSettings s{-7, -7, -7, 12345};
    s.SetDefaults();
    EXPECT_EQ(s.m_bUseEotbir, 1);
    EXPECT_EQ(s.m_bPreWarp, 0);
    EXPECT_EQ(s.m_nCycleTime, 60u);
    EXPECT_EQ(s.m_bOrderByName, 0);
    EXPECT_EQ(LauncherSettings::kMinCycleTime, 1u);
    EXPECT_EQ(LauncherSettings::kMaxCycleTime, 1000u);
}

} // namespace
