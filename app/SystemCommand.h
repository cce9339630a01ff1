// Which system commands open the About box.
#pragma once

#include <cstdint>

// Windows uses the low four bits of a system command for its own purposes,
// so a command is compared with them cleared.
inline bool IsAboutBoxCommand(std::uint32_t commandId, std::uint32_t aboutId) {
    return (commandId & 0xFFF0u) == aboutId;
}
