// The pictures the panel delivers: a packed device-independent bitmap, a
// 40-byte BITMAPINFOHEADER followed by 24-bit rows in blue, green, red order,
// bottom row first, each row padded to a multiple of 4 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "datasource/session/source_record.h"

namespace qm::ds {

inline constexpr std::size_t kBitmapHeaderSize = 40;
inline constexpr std::size_t kFileHeaderSize = 14;
inline constexpr std::uint16_t kBitsPerPixel = 24;
// Sizes beyond these are not a camera picture; a report of them is refused.
inline constexpr std::int32_t kMaxPictureSide = 32767;
inline constexpr std::size_t kMaxPixelBytes = std::size_t(1) << 30;

// Bytes of one bitmap row: width x 3 rounded up to a multiple of 4.
constexpr std::size_t rowStride(std::int32_t width)
{
    return (std::size_t(width) * 3 + 3) & ~std::size_t(3);
}

// The size query: asks the panel for the size of the next picture
// (CMUI_IMAGE_SIZE). On success stores width, height, 24 bits per pixel and
// the bitmap size; a refused query or an impossible size changes nothing.
// The JPEG pixel type returns to RGB at every query.
bool querySize(SourceRecord& record);

// Drops a picture still held (an abandoned memory transfer), allocates a
// zero-filled ImageBuffer of `bytes` (at least the bitmap size), locks it and
// has the panel deliver the next picture into it (CMUI_GET_IMAGE). The
// delivered header must describe the announced picture. On success the
// record holds the picture; on failure nothing is held.
bool fetchPicture(SourceRecord& record, std::size_t bytes);

// Frees the ImageBuffer if one is held and forgets it; the next memory
// transfer starts a new picture.
void releaseImageBuffer(TransferState& transfer);

// Bytes of the delivered bitmap: header and padded rows.
constexpr std::size_t bitmapBytes(std::int32_t width, std::int32_t height)
{
    return kBitmapHeaderSize + rowStride(width) * std::size_t(height);
}

// The first byte of image row `row` (counted from the top) of a held picture.
inline const std::uint8_t* pictureRow(const HeldPicture& picture, std::int32_t row)
{
    const std::size_t fromBottom = std::size_t(picture.height - 1 - row);
    return picture.bytes + kBitmapHeaderSize + fromBottom * rowStride(picture.width);
}

}  // namespace qm::ds
