// The quantisation tables and sampling the camera encodes with. The host puts
// its own JPEG header in front of the camera's scan data, so both sides must
// derive the same tables from the frame's quality byte Q and the same
// sampling from the frame size.
#pragma once

#include <cstdint>

#include "common/jpeg/standard_tables.h"

namespace qm::dualcam {

using jpeg::QuantTable;

// Horizontal luminance sampling; chrominance is always one sample per MCU
// and the vertical factor is always 1.
enum class Sampling : std::uint8_t { H1V1 = 1, H2V1 = 2, H4V1 = 4 };

// Example tables of ITU-T T.81 Annex K (K.1 luminance, K.2 chrominance) in
// zig-zag order, as they stand in a DQT segment.
inline constexpr const QuantTable& kLuminanceBase = jpeg::kLuminanceQuantZigzag;
inline constexpr const QuantTable& kChrominanceBase = jpeg::kChrominanceQuantZigzag;

// Zig-zag position -> row-major (natural) position in the 8 x 8 block.
using jpeg::kZigzagToNatural;

// Scales a zig-zag base table by Q: base x Q / 64, rounded, kept in 1..255.
// Q = 64 reproduces the base table.
QuantTable scaleQuantTable(const QuantTable& base, int quality);

// Video frames: 2 x 1 at the two smallest widths, 4 x 1 above. Stored
// pictures are always 2 x 1.
Sampling videoSampling(int width);
inline constexpr Sampling kStillSampling = Sampling::H2V1;

}  // namespace qm::dualcam
