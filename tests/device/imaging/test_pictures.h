// Pictures for the imaging tests and benchmarks: synthetic scenes, JPEG
// encoding and decoding through libjpeg-turbo (an independent codec), DIB
// reading and writing, and picture comparison.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qm::device::imaging::testing {

// 24-bit pixels, top row first, red, green, blue.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    const std::uint8_t* at(int x, int y) const { return rgb.data() + (std::size_t(y) * width + x) * 3; }
};

// Smooth colour gradients with softly modulated detail, different in each
// corner, so that turns and flips are visible.
RgbPicture makeScene(int width, int height);
RgbPicture uniformPicture(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b);
// Vertical stripes with soft edges: what sharpening visibly steepens.
RgbPicture stripesPicture(int width, int height);
// Deterministic random pixels: the hardest input for a JPEG encoder.
RgbPicture noisePicture(int width, int height, std::uint32_t seed);

// Baseline JPEG with 2x1 chroma subsampling, or a greyscale JPEG.
std::vector<std::uint8_t> encodeJpeg(const RgbPicture& picture, int quality = 90, bool grey = false);
std::optional<RgbPicture> decodeJpeg(std::span<const std::uint8_t> jpeg);

// A packed 24-bit bottom-up DIB with the usual 40-byte header.
std::vector<std::uint8_t> toDib(const RgbPicture& picture);
// A Windows bitmap file: the 14-byte file header, then the DIB.
std::vector<std::uint8_t> toBmpFile(const RgbPicture& picture);
void writeFile(const std::string& path, std::span<const std::uint8_t> bytes);
// Reads a DIB written by the module; the header must describe a 24-bit
// bottom-up bitmap that fits into `dib`.
std::optional<RgbPicture> fromDib(std::span<const std::uint8_t> dib);

// A valid 80 x 60 thumbnail DIB whose pixels all carry `shade`.
std::vector<std::uint8_t> shadedThumbnail(std::uint8_t shade);

double psnr(const RgbPicture& a, const RgbPicture& b);
// Mean absolute difference between neighbouring pixels: a measure of detail.
double meanGradient(const RgbPicture& picture);

}  // namespace qm::device::imaging::testing
