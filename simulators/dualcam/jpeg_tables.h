// The quantisation tables and sampling the camera encodes with. The host puts
// its own JPEG header in front of the camera's scan data, so both sides must
// derive the same tables from the frame's quality byte Q and the same
// sampling from the frame size.
#pragma once

#include <array>
#include <cstdint>

namespace qm::dualcam {

using QuantTable = std::array<std::uint8_t, 64>;

// Horizontal luminance sampling; chrominance is always one sample per MCU
// and the vertical factor is always 1.
enum class Sampling : std::uint8_t { H1V1 = 1, H2V1 = 2, H4V1 = 4 };

// Example tables of ITU-T T.81 Annex K (K.1 luminance, K.2 chrominance) in
// zig-zag order, as they stand in a DQT segment.
extern const QuantTable kLuminanceBase;
extern const QuantTable kChrominanceBase;

// Zig-zag position -> row-major (natural) position in the 8 x 8 block.
extern const std::array<std::uint8_t, 64> kZigzagToNatural;

// Scales a zig-zag base table by Q: base x Q / 64, rounded, kept in 1..255.
// Q = 64 reproduces the base table.
QuantTable scaleQuantTable(const QuantTable& base, int quality);

// Video frames: 2 x 1 at the two smallest widths, 4 x 1 above. Stored
// pictures are always 2 x 1.
Sampling videoSampling(int width);
inline constexpr Sampling kStillSampling = Sampling::H2V1;

}  // namespace qm::dualcam
