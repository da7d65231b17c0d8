// The camera's raw thumbnail: 60 rows of 80 pixels, top row first, each pair
// of horizontally adjacent pixels in 4 signed bytes Y0 - 128, Cb, Y1 - 128, Cr
// (the pair shares Cb and Cr). Models 16, 22 and 32 deliver thumbnails in
// this form, and the upload JPEG carries one of the uploaded picture.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "device/imaging/dib.h"
#include "device/imaging/model_rules.h"

namespace qm::device::imaging {

static_assert(kRawThumbnailSize == kThumbnailWidth * kThumbnailHeight * 2);

// The thumbnail's brightness curve, gamma 1.45, the same for all three colours.
const std::array<std::uint8_t, 256>& thumbnailGammaTable();

// Writes the 80 x 60 thumbnail DIB (kThumbnailDibSize bytes) with the gamma
// curve applied. False, and `dib` untouched, when `raw` is shorter than a raw
// thumbnail or `dib` cannot hold the bitmap.
bool rawThumbnailToDib(std::span<const std::uint8_t> raw, std::span<std::uint8_t> dib);

// Samples a raw thumbnail out of a 640 x 480 picture given as bottom-up 24-bit
// rows of `stride` bytes: rows 7, 15, ..., 479 from the top and every eighth
// column, pixels x and x + 8 forming a pair.
void sampleRawThumbnail(const std::uint8_t* bottomUpRows, std::size_t stride,
                        std::span<std::uint8_t, kRawThumbnailSize> raw);

}  // namespace qm::device::imaging
