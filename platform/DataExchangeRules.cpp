// Judging and writing the text of an unsigned integer field.
#include "platform/DataExchangeRules.h"

namespace ddx {
namespace {

bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

// The white space that the C library's conversion skips.
bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

struct Conversion {
    std::uint32_t value;
    std::size_t end; // index after the last character consumed
};

// Base-10 unsigned conversion with the C library's rules, fixed at 32 bits
// whatever the width of `unsigned long`: white space, one optional sign,
// digits; a value beyond 32 bits saturates while every digit is still
// consumed; a minus sign negates modulo 2^32; no digit yields 0 and consumes
// nothing.
Conversion ConvertUnsigned(std::string_view s, std::size_t pos) {
    const std::size_t start = pos;
    while (pos < s.size() && IsCSpace(s[pos]))
        ++pos;
    bool negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
        negative = s[pos] == '-';
        ++pos;
    }
    if (pos >= s.size() || !IsDigit(s[pos]))
        return {0, start};
    std::uint64_t value = 0;
    bool overflow = false;
    for (; pos < s.size() && IsDigit(s[pos]); ++pos) {
        if (!overflow) {
            value = value * 10 + static_cast<std::uint64_t>(s[pos] - '0');
            overflow = value > 0xFFFFFFFFull;
        }
    }
    if (overflow)
        return {0xFFFFFFFFu, pos};
    auto result = static_cast<std::uint32_t>(value);
    if (negative)
        result = 0u - result;
    return {result, pos};
}

} // namespace

bool ParseUnsignedText(std::string_view text, std::uint32_t& value) {
    text = text.substr(0, text.find('\0'));
    text = text.substr(0, kMaxJudgedChars);

    std::size_t pos = 0;
    while (pos < text.size() && IsBlankOrTab(text[pos]))
        ++pos;
    const char lead = pos < text.size() ? text[pos] : '\0';
    if (lead == '-')
        return false;

    const Conversion c = ConvertUnsigned(text, pos);
    // "0" itself is a number; a 0 from anything else means no digits came.
    if (c.value == 0 && lead != '0')
        return false;

    pos = c.end;
    while (pos < text.size() && IsBlankOrTab(text[pos]))
        ++pos;
    if (pos != text.size())
        return false;

    value = c.value;
    return true;
}

std::string FormatUnsigned(std::uint32_t value) { return std::to_string(value); }

std::string FormatMinMaxUIntMessage(std::uint32_t minimum, std::uint32_t maximum) {
    std::string text = kMinMaxUIntPattern;
    text.replace(text.find("%1"), 2, FormatUnsigned(minimum));
    text.replace(text.find("%2"), 2, FormatUnsigned(maximum));
    return text;
}

} // namespace ddx
