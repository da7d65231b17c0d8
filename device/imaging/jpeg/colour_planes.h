// The upload picture as the encoder codes it: a 640 x 480 luminance plane
// (Y - 128) and 320 x 480 Cb and Cr planes, 16-bit samples, top row first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/imaging/model_rules.h"

namespace qm::device::imaging {

inline constexpr std::size_t kChromaWidth = kUploadWidth / 2;

struct ColourPlanes {
    std::vector<std::int16_t> luminance;  // kUploadWidth x kUploadHeight
    std::vector<std::int16_t> blue;       // kChromaWidth x kUploadHeight (Cb)
    std::vector<std::int16_t> red;        // kChromaWidth x kUploadHeight (Cr)
};

// Converts bottom-up 24-bit rows of `stride` bytes: Y = (306 R + 601 G +
// 117 B) >> 10, Cb and Cr by the usual coefficients cut to integers, each
// horizontal chroma pair then replaced by (a + b) >> 1. May throw
// std::bad_alloc.
ColourPlanes convertToPlanes(const std::uint8_t* bottomUpRows, std::size_t stride);

}  // namespace qm::device::imaging
