// The serial rates the camera knows; the camera's speed index points into it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace qm::device {

inline constexpr std::array<std::uint32_t, 5> SPEED_TABLE = {9600, 19200, 38400, 57600, 115200};

inline constexpr std::optional<std::uint8_t> speedIndexOf(std::uint32_t rate)
{
    for (std::size_t i = 0; i < SPEED_TABLE.size(); ++i) {
        if (SPEED_TABLE[i] == rate)
            return std::uint8_t(i);
    }
    return std::nullopt;
}

// The following table entry; none for 115200 or a rate not in the table.
inline constexpr std::optional<std::uint32_t> nextFasterRate(std::uint32_t rate)
{
    const auto index = speedIndexOf(rate);
    if (!index || *index + 1u >= SPEED_TABLE.size())
        return std::nullopt;
    return SPEED_TABLE[*index + 1u];
}

}  // namespace qm::device
