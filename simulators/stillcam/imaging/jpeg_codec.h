// JPEG encoding and decoding for the camera's pictures and thumbnails.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "simulators/stillcam/imaging/rgb_image.h"

namespace qm::stillcam {

// Baseline JPEG with 2x1 chroma sampling, as the camera records. Empty on
// failure.
std::vector<std::uint8_t> encodeJpeg(const RgbImage& image, int quality);

struct JpegSize {
    int width = 0;
    int height = 0;
};
std::optional<JpegSize> jpegSize(std::span<const std::uint8_t> data);

// Decodes to RGB. With `strict`, damaged data (a warning from the decoder,
// such as entropy data that ends early) fails the decoding too.
std::optional<RgbImage> decodeJpeg(std::span<const std::uint8_t> data, bool strict = false);

}  // namespace qm::stillcam
