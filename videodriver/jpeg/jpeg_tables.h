// The tables every frame header carries. The camera compresses with the
// example tables of ITU-T T.81 Annex K, so the driver writes the same ones
// in front of its scan data: the quantisation bases (K.1 luminance, K.2
// chrominance), scaled by the frame's quality byte, and the four Huffman
// tables of K.3.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "common/jpeg/standard_tables.h"

namespace qm::morvax {

using jpeg::QuantTable;

// In zig-zag order, as they stand in a DQT segment.
inline constexpr const QuantTable& kLuminanceQuantBase = jpeg::kLuminanceQuantZigzag;
inline constexpr const QuantTable& kChrominanceQuantBase = jpeg::kChrominanceQuantZigzag;

// One Huffman table as a DHT segment carries it: the class/id byte (class in
// the high nibble: 0 DC, 1 AC), the number of codes of each length 1..16 and
// the symbols in code order.
struct HuffmanTableLayout {
    std::uint8_t classAndId;
    std::array<std::uint8_t, 16> counts;
    std::span<const std::uint8_t> values;

    std::size_t segmentBytes() const { return 1 + counts.size() + values.size(); }
};

// DC luminance (00), AC luminance (10), DC chrominance (01), AC
// chrominance (11): the order of the header's DHT segment.
extern const std::array<HuffmanTableLayout, 4> kStandardHuffmanTables;

// Entry i = base[i] x Q / 64, rounded; never 0 and never above 255, so any
// quality byte a frame carries gives a table the decoder accepts. Q = 64
// reproduces the base table.
QuantTable scaleQuantTable(const QuantTable& base, unsigned quality);

}  // namespace qm::morvax
