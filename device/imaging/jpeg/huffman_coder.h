// Baseline sequential entropy coding of quantised blocks: DC as a difference
// from the previous block of the same component, AC as run/size symbols with
// ZRL and EOB, bits packed most significant first with a 0x00 stuffed after
// every 0xFF byte.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "device/imaging/jpeg/forward_dct.h"
#include "device/imaging/jpeg/jpeg_tables.h"

namespace qm::device::imaging {

// The code of every symbol of one table (Annex C of the JPEG standard).
struct HuffmanCodes {
    std::array<std::uint16_t, 256> code{};
    std::array<std::uint8_t, 256> length{};  // 0: the table has no such symbol

    static HuffmanCodes from(const HuffmanTable& table);
};

// Packs bits into [begin, end): 32 bits at a time while at least 8 bytes
// remain, byte by byte near the end, and never past it.
class BitWriter {
public:
    BitWriter(std::uint8_t* begin, std::uint8_t* end) : next_(begin), end_(end) {}

    // Appends the low `count` bits of `bits` (count at most 32).
    void write(std::uint32_t bits, int count)
    {
        if (count == 0)
            return;
        bits &= count == 32 ? ~0u : (1u << count) - 1;
        // Fewer than 32 bits wait in the buffer between calls.
        buffer_ = (buffer_ << count) | bits;
        filled_ += count;
        if (filled_ >= 32)
            flushWord();
    }
    // Emits the last partial byte with its remaining low bits 0.
    void flush()
    {
        if (filled_ % 8 != 0)
            write(0, 8 - filled_ % 8);
        while (filled_ >= 8) {
            filled_ -= 8;
            put(std::uint8_t(buffer_ >> filled_));
        }
    }

    std::uint8_t* position() const { return next_; }
    bool overflowed() const { return overflowed_; }

private:
    void flushWord()
    {
        filled_ -= 32;
        const auto word = std::uint32_t(buffer_ >> filled_);
        // Any 0xFF byte needs stuffing; without one the word goes out whole.
        const std::uint32_t inverted = ~word;
        const bool hasFf = ((inverted - 0x01010101u) & ~inverted & 0x80808080u) != 0;
        if (!hasFf && end_ - next_ >= 4) {
            const std::uint8_t bytes[4] = {std::uint8_t(word >> 24), std::uint8_t(word >> 16), std::uint8_t(word >> 8),
                                           std::uint8_t(word)};
            std::memcpy(next_, bytes, 4);
            next_ += 4;
            return;
        }
        for (int shift = 24; shift >= 0; shift -= 8)
            put(std::uint8_t(word >> shift));
    }
    void put(std::uint8_t byte)
    {
        emit(byte);
        if (byte == 0xFF)
            emit(0x00);
    }
    void emit(std::uint8_t byte)
    {
        if (next_ < end_)
            *next_++ = byte;
        else
            overflowed_ = true;
    }

    std::uint8_t* next_;
    std::uint8_t* end_;
    std::uint64_t buffer_ = 0;
    int filled_ = 0;
    bool overflowed_ = false;
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
bool encodeBlock(const QuantisedBlock& zigzag, ComponentCoder& component, BitWriter& writer);

}  // namespace qm::device::imaging
