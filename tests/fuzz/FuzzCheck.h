// What each fuzz target provides to the two drivers (libFuzzer and the plain
// random driver): a check of one input against an independent model, and a
// generator of random and structured inputs for the random driver.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace fuzz {

// The name printed with every count and report.
extern const char kTargetName[];

// Runs one input through the code under test and the model. Returns false on
// a mismatch and then describes the input and both results in `report`.
bool CheckInput(const std::uint8_t* data, std::size_t size, std::string& report);

// An input for the random driver: random bytes, and inputs shaped like the
// ones the rules single out.
std::vector<std::uint8_t> MakeInput(std::mt19937_64& random);

// The input as hex bytes, for reports.
inline std::string HexBytes(const std::uint8_t* data, std::size_t size) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        if (i != 0)
            out += ' ';
        out += kDigits[data[i] >> 4];
        out += kDigits[data[i] & 0xF];
    }
    return out.empty() ? "(empty)" : out;
}

} // namespace fuzz
