// The encoder's integer forward DCT and quantisation. Both passes multiply by
// C[k][n] = 1024 c(k) cos((2n + 1) k pi / 16), c(0) = 1 / (2 sqrt 2),
// c(k) = 1/2, the products cut to integers (row 0 is all 362, row 1 begins
// 502, 425, 284, 99), and shift the sums right by 10: first along each row,
// then down each column of that result. Coefficients are then quantised as
// q = (c * 1024 / Q + 512) >> 10, the quotient cut toward zero.
//
// Samples lie within -128..127, so a first-pass value stays within 362 and a
// coefficient within 1024 in magnitude; the fast forms below rely on that.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "device/imaging/jpeg/jpeg_tables.h"

namespace qm::device::imaging {

using DctMatrix = std::array<std::array<std::int32_t, 8>, 8>;

inline constexpr DctMatrix kDctMatrix = {{
    {362, 362, 362, 362, 362, 362, 362, 362},
    {502, 425, 284, 99, -99, -284, -425, -502},
    {473, 195, -195, -473, -473, -195, 195, 473},
    {425, -99, -502, -284, 284, 502, 99, -425},
    {362, -362, -362, 362, 362, -362, -362, 362},
    {284, -502, 99, 425, -425, -99, 502, -284},
    {195, -473, 473, -195, -195, 473, -473, 195},
    {99, -284, 425, -502, 502, -425, 284, -99},
}};

// A block's quantised coefficients in zigzag order.
using QuantisedBlock = std::array<std::int16_t, 64>;

// Quantisation of one coefficient, as defined.
inline std::int32_t quantise(std::int32_t coefficient, int divisor)
{
    return (coefficient * 1024 / divisor + 512) >> 10;
}

// A quantisation table prepared for the fast paths, in natural order.
struct QuantisationDivisors {
    std::array<std::uint64_t, 64> reciprocal{};  // floor(2^32 / Q) + 1
    std::array<float, 64> divisor{};

    static QuantisationDivisors from(const QuantisationTable& zigzagTable);

    // Equal to quantise(coefficient, Q) for |coefficient| <= 1024: the
    // reciprocal's excess stays below 1 / Q over that range.
    std::int32_t quantise(std::int32_t coefficient, std::size_t natural) const
    {
        const std::uint64_t magnitude = std::uint64_t(coefficient < 0 ? -coefficient : coefficient) << 10;
        const auto quotient = std::int32_t((magnitude * reciprocal[natural]) >> 32);
        return ((coefficient < 0 ? -quotient : quotient) + 512) >> 10;
    }
};

// Transforms and quantises `count` blocks side by side (block i starts at
// samples + 8 i; rows are `stride` samples apart).
void transformBlocks(const std::int16_t* samples, std::size_t stride, std::size_t count,
                     const QuantisationDivisors& divisors, QuantisedBlock* out);

// The paths behind transformBlocks, for tests.
void transformBlocksScalar(const std::int16_t* samples, std::size_t stride, std::size_t count,
                           const QuantisationDivisors& divisors, QuantisedBlock* out);
void transformBlocksAvx2(const std::int16_t* samples, std::size_t stride, std::size_t count,
                         const QuantisationDivisors& divisors, QuantisedBlock* out);

}  // namespace qm::device::imaging
