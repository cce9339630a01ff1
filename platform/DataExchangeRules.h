// The pure rules behind the framework's dialog data exchange: how an unsigned
// field's text is judged and written, what a check box is handed, and the
// texts of the two validation messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ddx {

// A field's text is judged by this many leading characters, the most that
// the exchange reads from the control.
inline constexpr std::size_t kMaxJudgedChars = 31;

inline constexpr char kParseUIntMessage[] = "Please enter a positive integer.";
inline constexpr char kMinMaxUIntPattern[] = "Please enter an integer between %1 and %2.";

// Parses the text of an unsigned integer field. Text after an embedded NUL
// does not count (a window text cannot hold one). Returns false when the text
// does not parse; `value` is then untouched.
bool ParseUnsignedText(std::string_view text, std::uint32_t& value);

// The text shown for an unsigned value: decimal digits, no sign or padding.
std::string FormatUnsigned(std::uint32_t value);

// The value a check box is handed in the load direction: anything outside
// 0 (cleared), 1 (checked) and 2 (indeterminate) becomes 0.
inline std::int32_t CheckValueForLoad(std::int32_t value) {
    return (value < 0 || value > 2) ? 0 : value;
}

inline bool InRange(std::uint32_t value, std::uint32_t minimum, std::uint32_t maximum) {
    return value >= minimum && value <= maximum;
}

// "Please enter an integer between <min> and <max>."
std::string FormatMinMaxUIntMessage(std::uint32_t minimum, std::uint32_t maximum);

} // namespace ddx
