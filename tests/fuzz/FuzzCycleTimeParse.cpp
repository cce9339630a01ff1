// Fuzz target: the cycle-time field's parse against a model written from the
// field's rules, on arbitrary bytes taken as the field's text.
#include "FuzzCheck.h"

#include "platform/DataExchangeRules.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace fuzz {

const char kTargetName[] = "cycle-time parse";

namespace {

struct Verdict {
    bool parsed = false;
    std::uint32_t value = 0;
    std::string problem; // set when the model disagrees with the C library
};

constexpr char kBlanks[] = " \t";
constexpr char kCSpace[] = " \t\n\v\f\r";
constexpr char kDigits[] = "0123456789";
constexpr char kLargest[] = "4294967295";

// The model. Steps follow the rules in order; the conversion is worked out
// on the digit string rather than by arithmetic, and the C library's own
// strtoull checks where it ends and, below 2^32, what it yields.
Verdict Model(const std::string& raw) {
    Verdict v;
    // The field cannot hold a NUL, and the exchange reads 31 characters.
    const std::string field = raw.substr(0, std::min<std::size_t>(raw.find('\0'), 31));

    // Blanks and tabs, then the lead character; a text of blanks has none.
    const std::size_t lead = field.find_first_not_of(kBlanks);
    if (lead == std::string::npos || field[lead] == '-')
        return v;

    // strtoul: C white space, one sign, the digits.
    std::size_t at = field.find_first_not_of(kCSpace, lead);
    if (at == std::string::npos)
        at = field.size();
    bool minus = false;
    if (at < field.size() && (field[at] == '+' || field[at] == '-')) {
        minus = field[at] == '-';
        ++at;
    }
    std::size_t end = field.find_first_not_of(kDigits, at);
    if (end == std::string::npos)
        end = field.size();
    std::uint32_t result = 0;
    bool saturated = false;
    if (end == at) {
        end = lead; // no digits: nothing is consumed, the result is 0
    } else {
        std::string magnitude = field.substr(at, end - at);
        magnitude.erase(0, std::min(magnitude.find_first_not_of('0'), magnitude.size()));
        const std::size_t largest = std::strlen(kLargest);
        saturated = magnitude.size() > largest || (magnitude.size() == largest && magnitude > kLargest);
        if (saturated) {
            result = 0xFFFFFFFFu;
        } else {
            const auto m = static_cast<std::uint32_t>(magnitude.empty() ? 0 : std::stoull(magnitude));
            result = minus ? static_cast<std::uint32_t>(0x100000000ull - m) : m;
        }
    }

    char* libEnd = nullptr;
    const unsigned long long lib = std::strtoull(field.c_str() + lead, &libEnd, 10);
    if (static_cast<std::size_t>(libEnd - field.c_str()) != end)
        v.problem = "the model ends at " + std::to_string(end) + ", strtoull at " +
                    std::to_string(libEnd - field.c_str());
    else if (!saturated && static_cast<std::uint32_t>(lib) != result)
        v.problem = "the model gives " + std::to_string(result) + ", strtoull " + std::to_string(lib);

    // Zero counts only when it was spelt with a leading "0".
    if (result == 0 && field[lead] != '0')
        return v;
    // Nothing but blanks and tabs may follow.
    if (field.find_first_not_of(kBlanks, end) != std::string::npos)
        return v;
    v.parsed = true;
    v.value = result;
    return v;
}

std::string Describe(bool parsed, std::uint32_t value) {
    return parsed ? "parses to " + std::to_string(value) : "fails, record " + std::to_string(value);
}

} // namespace

bool CheckInput(const std::uint8_t* data, std::size_t size, std::string& report) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Verdict want = Model(text);
    if (!want.problem.empty()) {
        report = "input " + HexBytes(data, size) + ": model fault: " + want.problem;
        return false;
    }
    // Two different previous values, so that a failure that writes is seen.
    for (const std::uint32_t previous : {0xA5A5A5A5u, 0u}) {
        std::uint32_t value = previous;
        const bool parsed = ddx::ParseUnsignedText(text, value);
        const std::uint32_t wanted = want.parsed ? want.value : previous;
        if (parsed != want.parsed || value != wanted) {
            report = "input " + HexBytes(data, size) + ": code " + Describe(parsed, value) + ", model " +
                     Describe(want.parsed, wanted);
            return false;
        }
    }
    return true;
}

std::vector<std::uint8_t> MakeInput(std::mt19937_64& random) {
    auto below = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    auto repeat = [&](std::string& out, const std::string& from, std::size_t most) {
        for (std::size_t i = below(most + 1); i > 0; --i)
            out += from[below(from.size())];
    };
    std::string text;
    switch (below(4)) {
    case 0: { // arbitrary bytes
        for (std::size_t i = below(40); i > 0; --i)
            text += static_cast<char>(random());
        break;
    }
    case 1: { // characters that matter, in any order
        static const char kAlphabet[] = " \t\n\v\f\r+-0123456789a.x\xA0";
        for (std::size_t i = below(40); i > 0; --i)
            text += below(20) == 0 ? '\0' : kAlphabet[below(sizeof kAlphabet - 1)];
        break;
    }
    default: { // white space, sign, zeros, digits, trailing part
        repeat(text, kBlanks, 4);
        if (below(3) == 0)
            repeat(text, kCSpace, 3);
        if (below(2) == 0)
            text += "+-"[below(2)];
        repeat(text, "0", below(4) == 0 ? 30 : 3);
        repeat(text, kDigits, below(3) == 0 ? 22 : 10);
        if (below(3) == 0) {
            // Near the 32-bit limit.
            static const char* const kEdges[] = {"4294967295", "4294967296", "4294967294", "429496729",
                                                 "18446744073709551616"};
            text += kEdges[below(5)];
        }
        repeat(text, kBlanks, 4);
        if (below(4) == 0)
            repeat(text, std::string("\n\r+-x.5 \0", 9), 3);
        break;
    }
    }
    return {text.begin(), text.end()};
}

} // namespace fuzz
