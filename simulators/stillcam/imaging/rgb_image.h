// A plain 24-bit picture in memory: red, green, blue, top row first.
#pragma once

#include <cstdint>
#include <vector>

namespace qm::stillcam {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width * height * 3

    RgbImage() = default;
    RgbImage(int w, int h) : width(w), height(h), pixels(std::size_t(w) * std::size_t(h) * 3) {}
    std::uint8_t* at(int x, int y) { return &pixels[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3]; }
    const std::uint8_t* at(int x, int y) const
    {
        return &pixels[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3];
    }
    bool empty() const { return width <= 0 || height <= 0; }
};

// Scales to the given size: area averaging where it shrinks, bilinear where
// it grows.
RgbImage resize(const RgbImage& source, int width, int height);

}  // namespace qm::stillcam
