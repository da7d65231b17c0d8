// Pictures the device module hands over (packed 24-bit DIBs) into files:
// bitmap files as they are, PNG files through libpng. Files are replaced
// atomically.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qm::qmcam {

// 24-bit pixels, top row first, red, green, blue.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// The DIB's width, height and size when it is an uncompressed 24-bit bitmap
// whose rows all lie within `dib`.
struct DibLayout {
    int width = 0;
    int height = 0;  // positive: bottom row first
    bool bottomUp = true;
    std::size_t stride = 0;
    std::size_t size = 0;
};
std::optional<DibLayout> dibLayout(std::span<const std::uint8_t> dib);

std::optional<RgbImage> imageFromDib(std::span<const std::uint8_t> dib);

// A bitmap file: the 14-byte file header and the DIB.
bool writeBmpFile(const std::string& path, std::span<const std::uint8_t> dib);
bool writePngFile(const std::string& path, const RgbImage& image);

// Copies `tile` into `sheet` with its top-left corner at (x, y), clipped.
void blit(RgbImage& sheet, const RgbImage& tile, int x, int y);

}  // namespace qm::qmcam
