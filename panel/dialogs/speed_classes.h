// The serial line speeds as the panel names them: the speed table by the
// index the device module reports, and the three classes Slow, Normal and
// Fast whose highest rates KVB.ini holds.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace qm::panel {

// Index 0 is USB (rate 0), 1..5 are 9600 to 115200 bits per second.
std::optional<std::uint32_t> speedTableRate(std::uint32_t index);

enum SpeedClass : int { kNoSpeedClass = 0, kSpeedSlow = 1, kSpeedNormal = 2, kSpeedFast = 3 };

struct SpeedClasses {
    std::array<std::uint32_t, 3> highestRate{38400, 57600, 115200};  // Slow, Normal, Fast

    // The slowest class whose highest rate reaches `rate`; none when even
    // Fast is below it.
    int classFor(std::uint32_t rate) const;
    // The highest rate of class 1..3; nothing for another value.
    std::optional<std::uint32_t> rateOf(int speedClass) const;
};

// Section "Max BaudRate Setting" of KVB.ini.
SpeedClasses readSpeedClasses();

// "Baud Rate Mode" of section "Baud Rate Speeding", as the panel reads it.
std::uint32_t configuredSpeed();

}  // namespace qm::panel
