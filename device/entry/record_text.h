// Zero-terminated, zero-padded text fields of the records that cross
// DriverEntry.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace qm::device {

// Writes the text into a field of `size` bytes at `offset`: at most size - 1
// characters, the rest of the field zero. The field must lie in the buffer.
inline void writeTextField(std::span<std::uint8_t> buffer, std::size_t offset, std::size_t size, std::string_view text)
{
    if (size == 0 || offset > buffer.size() || buffer.size() - offset < size)
        return;
    std::uint8_t* field = buffer.data() + offset;
    const std::size_t length = std::min(text.size(), size - 1);
    std::memcpy(field, text.data(), length);
    std::memset(field + length, 0, size - length);
}

}  // namespace qm::device
