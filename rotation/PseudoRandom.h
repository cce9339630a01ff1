// The random order's generator: the C run-time library's sequence, written
// out here so that the launcher draws the same values on every system and no
// other code that calls rand() can shift them.
#pragma once

#include <cstdint>

class CPseudoRandom {
public:
    // state <- state * 214013 + 2531011 (mod 2^32); yields bits 16 to 30,
    // 0 to 32767. From the starting state 1: 41, 18467, 6334, 26500, ...
    std::uint32_t Next() {
        m_state = m_state * 214013u + 2531011u;
        return (m_state >> 16) & 0x7FFFu;
    }

private:
    std::uint32_t m_state = 1;
};
