// The example tables of ITU-T T.81 Annex K that the camera, the upload
// encoder and the video driver all code with: the quantisation tables (K.1
// luminance, K.2 chrominance), the zig-zag order in which a block's
// coefficients are coded, and the four Huffman tables of K.3.
//
// The quantisation tables and code counts are constexpr so that tables
// derived from them (scaled by a fixed quality, laid out as a header wants
// them) can be built at compile time.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace qm::jpeg {

using QuantTable = std::array<std::uint8_t, 64>;

// Zig-zag position -> row-major (natural) position in the 8 x 8 block.
inline constexpr std::array<std::uint8_t, 64> kZigzagToNatural = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,   //
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,  //
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,  //
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

// K.1 and K.2 in natural order, row by row.
inline constexpr QuantTable kLuminanceQuant = {
    16, 11, 10, 16, 24,  40,  51,  61,   //
    12, 12, 14, 19, 26,  58,  60,  55,   //
    14, 13, 16, 24, 40,  57,  69,  56,   //
    14, 17, 22, 29, 51,  87,  80,  62,   //
    18, 22, 37, 56, 68,  109, 103, 77,   //
    24, 35, 55, 64, 81,  104, 113, 92,   //
    49, 64, 78, 87, 103, 121, 120, 101,  //
    72, 92, 95, 98, 112, 100, 103, 99,
};
inline constexpr QuantTable kChrominanceQuant = {
    17, 18, 24, 47, 99, 99, 99, 99,  //
    18, 21, 26, 66, 99, 99, 99, 99,  //
    24, 26, 56, 99, 99, 99, 99, 99,  //
    47, 66, 99, 99, 99, 99, 99, 99,  //
    99, 99, 99, 99, 99, 99, 99, 99,  //
    99, 99, 99, 99, 99, 99, 99, 99,  //
    99, 99, 99, 99, 99, 99, 99, 99,  //
    99, 99, 99, 99, 99, 99, 99, 99,
};

constexpr QuantTable inZigzagOrder(const QuantTable& natural)
{
    QuantTable zigzag{};
    for (std::size_t k = 0; k < zigzag.size(); ++k)
        zigzag[k] = natural[kZigzagToNatural[k]];
    return zigzag;
}

// The same tables in zig-zag order, as a DQT segment stores them.
inline constexpr QuantTable kLuminanceQuantZigzag = inZigzagOrder(kLuminanceQuant);
inline constexpr QuantTable kChrominanceQuantZigzag = inZigzagOrder(kChrominanceQuant);

// A Huffman table as a DHT segment carries it: the number of codes of each
// length 1..16, then the symbols in code order.
struct HuffmanTable {
    std::array<std::uint8_t, 16> counts;
    std::span<const std::uint8_t> symbols;
};

// The symbols live in standard_tables.cpp; only their number is needed here.
extern const std::array<std::uint8_t, 12> kDcSymbols;
extern const std::array<std::uint8_t, 162> kAcLuminanceSymbols;
extern const std::array<std::uint8_t, 162> kAcChrominanceSymbols;

inline constexpr HuffmanTable kDcLuminanceHuffman = {
    {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0}, kDcSymbols};
inline constexpr HuffmanTable kAcLuminanceHuffman = {
    {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d}, kAcLuminanceSymbols};
inline constexpr HuffmanTable kDcChrominanceHuffman = {
    {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0}, kDcSymbols};
inline constexpr HuffmanTable kAcChrominanceHuffman = {
    {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77}, kAcChrominanceSymbols};

}  // namespace qm::jpeg
