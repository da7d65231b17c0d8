// The fixed tables of the upload JPEG: the quality-90 quantisation tables and
// the typical Huffman tables of the JPEG standard's Annex K, and the zigzag
// order in which coefficients are coded.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace qm::device::imaging {

using QuantisationTable = std::array<std::uint8_t, 64>;

// Zigzag position -> position in the natural (row by row) order of a block.
extern const std::array<std::uint8_t, 64> kZigzagToNatural;

// Annex K.1 and K.2 example tables scaled to 20 % with rounding (quality 90),
// in zigzag order as they are stored in the file and used to quantise.
extern const QuantisationTable kLuminanceQuantisation;
extern const QuantisationTable kChrominanceQuantisation;

// A Huffman table as the file carries it: code counts per length 1..16, then
// the symbols in code order.
struct HuffmanSpec {
    std::array<std::uint8_t, 16> counts;
    std::span<const std::uint8_t> symbols;
};

extern const HuffmanSpec kDcLuminanceHuffman;
extern const HuffmanSpec kAcLuminanceHuffman;
extern const HuffmanSpec kDcChrominanceHuffman;
extern const HuffmanSpec kAcChrominanceHuffman;

}  // namespace qm::device::imaging
