// Baseline sequential entropy coding of quantised blocks: DC as a difference
// from the previous block of the same component, AC as run/size symbols with
// ZRL and EOB, bits packed most significant first with a 0x00 stuffed after
// every 0xFF byte.
#pragma once

#include <array>
#include <cstdint>

#include "device/imaging/jpeg/byte_sink.h"
#include "device/imaging/jpeg/jpeg_tables.h"

namespace qm::device::imaging {

// The code of every symbol of one table (Annex C of the JPEG standard).
struct HuffmanCodes {
    std::array<std::uint16_t, 256> code{};
    std::array<std::uint8_t, 256> length{};  // 0: the table has no such symbol

    static HuffmanCodes from(const HuffmanTable& table);
};

class BitWriter {
public:
    explicit BitWriter(ByteSink& sink) : sink_(sink) {}

    // Appends the low `count` bits of `bits` (count at most 24).
    void write(std::uint32_t bits, int count)
    {
        buffer_ = (buffer_ << count) | (bits & ((1u << count) - 1));
        pending_ += count;
        while (pending_ >= 8) {
            pending_ -= 8;
            emit(std::uint8_t(buffer_ >> pending_));
        }
    }
    // Emits the last partial byte with its remaining low bits 0.
    void flush()
    {
        if (pending_ > 0)
            write(0, 8 - pending_);
    }

private:
    void emit(std::uint8_t byte)
    {
        sink_.put(byte);
        if (byte == 0xFF)
            sink_.put(0x00);
    }

    ByteSink& sink_;
    std::uint64_t buffer_ = 0;
    int pending_ = 0;
};

// One colour component's tables and DC predictor during a scan.
struct ComponentCoder {
    const HuffmanCodes& dc;
    const HuffmanCodes& ac;
    std::int32_t previousDc = 0;
};

// Codes one block of quantised coefficients in zigzag order. False when a
// value lies outside what the baseline tables can code: a DC difference of
// 2048 or more, or an AC coefficient of magnitude 1024 or more.
bool encodeBlock(const std::array<std::int32_t, 64>& zigzag, ComponentCoder& component, BitWriter& writer);

}  // namespace qm::device::imaging
