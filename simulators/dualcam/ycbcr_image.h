// A picture as the camera's compressor takes it: interleaved Y, Cb, Cr bytes,
// row by row, top row first.
#pragma once

#include <cstdint>
#include <vector>

namespace qm::dualcam {

struct YCbCrImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width x height x 3

    YCbCrImage() = default;
    YCbCrImage(int w, int h) : width(w), height(h), pixels(std::size_t(w) * std::size_t(h) * 3) {}
};

}  // namespace qm::dualcam
