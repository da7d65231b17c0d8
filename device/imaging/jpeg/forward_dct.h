// The encoder's integer forward DCT and quantisation. Both passes multiply by
// C[k][n] = 1024 c(k) cos((2n + 1) k pi / 16), c(0) = 1 / (2 sqrt 2),
// c(k) = 1/2, the products cut to integers (row 0 is all 362, row 1 begins
// 502, 425, 284, 99), and shift the sums right by 10.
#pragma once

#include <array>
#include <cstdint>

#include "device/imaging/jpeg/jpeg_tables.h"

namespace qm::device::imaging {

using DctMatrix = std::array<std::array<std::int32_t, 8>, 8>;
using CoefficientBlock = std::array<std::int32_t, 64>;

const DctMatrix& dctMatrix();

// 8 x 8 samples (row by row, each row `stride` samples apart) to
// coefficients in natural order: a pass over the rows, then one over the
// columns of that result.
void forwardDct(const std::int16_t* samples, std::size_t stride, CoefficientBlock& coefficients);

// Reorders into zigzag order and quantises: q = (c * 1024 / Q + 512) >> 10,
// the quotient cut toward zero, Q taken from the zigzag-ordered table.
void quantiseZigzag(const CoefficientBlock& coefficients, const QuantisationTable& table, CoefficientBlock& zigzag);

}  // namespace qm::device::imaging
