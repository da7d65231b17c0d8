// Reading and writing the 32-bit values DriverEntry's pointers refer to. The
// caller's pointers may be null or unaligned; both are handled here.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>

namespace qm::device {

inline std::optional<std::uint32_t> loadValue(const void* pointer)
{
    if (pointer == nullptr)
        return std::nullopt;
    std::uint32_t value;
    std::memcpy(&value, pointer, sizeof value);
    return value;
}

inline bool storeValue(void* pointer, std::uint32_t value)
{
    if (pointer == nullptr)
        return false;
    std::memcpy(pointer, &value, sizeof value);
    return true;
}

}  // namespace qm::device
