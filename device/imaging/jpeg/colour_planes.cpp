#include "device/imaging/jpeg/colour_planes.h"

namespace qm::device::imaging {

namespace {

std::int16_t blueDifference(int r, int g, int b) { return std::int16_t(-0.168736 * r - 0.331264 * g + 0.5 * b); }
std::int16_t redDifference(int r, int g, int b) { return std::int16_t(0.5 * r - 0.418688 * g - 0.081312 * b); }

// Halves a full-width chroma plane: each horizontal pair becomes its sum
// shifted right by one.
void subsample(const std::vector<std::int16_t>& full, std::vector<std::int16_t>& half)
{
    for (std::size_t i = 0; i < half.size(); ++i)
        half[i] = std::int16_t((full[2 * i] + full[2 * i + 1]) >> 1);
}

}  // namespace

ColourPlanes convertToPlanes(const std::uint8_t* bottomUpRows, std::size_t stride)
{
    constexpr std::size_t width = kUploadWidth;
    constexpr std::size_t height = kUploadHeight;
    ColourPlanes planes;
    planes.luminance.resize(width * height);
    planes.blue.resize(kChromaWidth * height);
    planes.red.resize(kChromaWidth * height);
    // One full-width scratch plane serves Cb and then Cr.
    std::vector<std::int16_t> scratch(width * height);

    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* pixel = bottomUpRows + (height - 1 - y) * stride;
        std::int16_t* luminance = planes.luminance.data() + y * width;
        std::int16_t* blue = scratch.data() + y * width;
        for (std::size_t x = 0; x < width; ++x, pixel += 3) {
            const int b = pixel[0], g = pixel[1], r = pixel[2];
            luminance[x] = std::int16_t(((306 * r + 601 * g + 117 * b) >> 10) - 128);
            blue[x] = blueDifference(r, g, b);
        }
    }
    subsample(scratch, planes.blue);

    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* pixel = bottomUpRows + (height - 1 - y) * stride;
        std::int16_t* red = scratch.data() + y * width;
        for (std::size_t x = 0; x < width; ++x, pixel += 3)
            red[x] = redDifference(pixel[2], pixel[1], pixel[0]);
    }
    subsample(scratch, planes.red);
    return planes;
}

}  // namespace qm::device::imaging
