// The JPEG that a model-16 camera accepts as an uploaded picture: a fixed
// 640 x 480 baseline layout with 2 x 1 chroma subsampling, quality-90
// tables, the standard Huffman tables and an application segment that
// carries the picture's raw thumbnail. The camera relies on this exact
// layout:
//
//   20 bytes    start of image and the JFIF segment (version 1.1, 72 x 72 dpi)
//   69 + 69     quantisation tables 0 (luminance) and 1 (chrominance)
//   19          frame header: 480 lines, 640 samples, Y 2x1 table 0,
//               Cb and Cr 1x1 table 1
//   33 183 33 183  Huffman tables DC 0, AC 0, DC 1, AC 1
//   9617        APP0: 19 68 12 16 00, the 9600-byte raw thumbnail,
//               10 00 00 00 00 00 00 00
//   14          scan header
//   ...         entropy-coded data, then end of image
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace qm::device::imaging {

inline constexpr std::size_t kJfifStartSize = 20;
inline constexpr std::size_t kRawThumbnailSegmentSize = 9617;

// Encodes a 640 x 480 bottom-up 24-bit DIB. `out` may overlap `dib` (the
// upload path encodes over its own bitmap file): the rows are then read from
// a copy taken before the first byte is written. Nothing is written past the
// end of `out`.
// Returns the JPEG's size, or nothing when the DIB is not 640 x 480 x
// 24 bits, a quantised coefficient is beyond what baseline coding carries
// (an AC magnitude of 1024 or more), or the JPEG does not fit into `out`.
std::optional<std::size_t> encodeUploadJpeg(std::span<const std::uint8_t> dib, std::span<std::uint8_t> out);

}  // namespace qm::device::imaging
