// The launcher's four settings, as the main dialog holds them. Nothing keeps
// them in range: the settings file is taken as it is, and a cycle time that
// failed validation stays; readers test the flags for zero or nonzero.
#pragma once

#include <cstdint>

struct LauncherSettings {
    std::int32_t m_bOrderByName; // nonzero: pictures in name order; 0: random
    std::int32_t m_bUseEotbir;   // nonzero: Run rotates the waiting picture
    std::int32_t m_bPreWarp;     // shown and stored only
    std::uint32_t m_nCycleTime;  // rotation period in seconds, valid 1 to 1000

    static constexpr std::int32_t kDefaultOrderByName = 0;
    static constexpr std::int32_t kDefaultUseEotbir = 1;
    static constexpr std::int32_t kDefaultPreWarp = 0;
    static constexpr std::uint32_t kDefaultCycleTime = 60;
    static constexpr std::uint32_t kMinCycleTime = 1;
    static constexpr std::uint32_t kMaxCycleTime = 1000;

    void SetDefaults() {
        m_bOrderByName = kDefaultOrderByName;
        m_bUseEotbir = kDefaultUseEotbir;
        m_bPreWarp = kDefaultPreWarp;
        m_nCycleTime = kDefaultCycleTime;
    }
};
