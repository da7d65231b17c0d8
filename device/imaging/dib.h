// Packed device-independent bitmaps as this module hands them out: a 40-byte
// BITMAPINFOHEADER, then 24-bit rows in blue, green, red order, bottom row
// first, each row padded to a multiple of 4 bytes, no colour table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace qm::device::imaging {

inline constexpr std::size_t kBitmapFileHeaderSize = 14;
inline constexpr std::size_t kDibHeaderSize = 40;

inline constexpr std::size_t dibRowStride(std::size_t width) { return (width * 24 + 31) / 32 * 4; }
inline constexpr std::size_t dibSize(std::size_t width, std::size_t height)
{
    return kDibHeaderSize + dibRowStride(width) * height;
}

inline constexpr int kThumbnailWidth = 80;
inline constexpr int kThumbnailHeight = 60;
inline constexpr std::size_t kThumbnailDibSize = dibSize(kThumbnailWidth, kThumbnailHeight);
static_assert(kThumbnailDibSize == 14440);

// Our own thumbnails state 3000 pixels per metre in both directions.
inline constexpr std::int32_t kThumbnailPixelsPerMetre = 3000;

// The fields of a BITMAPINFOHEADER this module reads back.
struct DibGeometry {
    std::size_t width = 0;
    std::size_t height = 0;   // rows are stored bottom row first
    std::size_t stride = 0;
    std::size_t size = 0;     // header plus pixel rows
};

// Writes a header for an uncompressed 24-bit bottom-up bitmap. `out` must
// hold kDibHeaderSize bytes.
void writeDibHeader(std::span<std::uint8_t> out, std::int32_t width, std::int32_t height,
                    std::int32_t pixelsPerMetre);

// Accepts only what this module produces and consumes: a 40-byte header, an
// uncompressed 24-bit bottom-up bitmap of positive size whose rows all lie
// inside `dib`. Anything else is refused.
std::optional<DibGeometry> readDibGeometry(std::span<const std::uint8_t> dib);

}  // namespace qm::device::imaging
