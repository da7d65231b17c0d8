// A writer that never passes the end of its buffer: bytes that do not fit
// are dropped and the sink remembers that it overflowed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace qm::device::imaging {

class ByteSink {
public:
    explicit ByteSink(std::span<std::uint8_t> buffer) : buffer_(buffer) {}

    void put(std::uint8_t byte)
    {
        if (used_ < buffer_.size())
            buffer_[used_++] = byte;
        else
            overflowed_ = true;
    }
    void put(std::span<const std::uint8_t> bytes)
    {
        for (std::uint8_t byte : bytes)
            put(byte);
    }
    void putBe16(std::uint16_t value)
    {
        put(std::uint8_t(value >> 8));
        put(std::uint8_t(value));
    }

    std::size_t size() const { return used_; }
    bool overflowed() const { return overflowed_; }

private:
    std::span<std::uint8_t> buffer_;
    std::size_t used_ = 0;
    bool overflowed_ = false;
};

}  // namespace qm::device::imaging
