// The pictures the test panel serves: every pixel is a known function of the
// picture number and its position, so a test can check each pixel an
// application received, also after the panel turned the picture.
#pragma once

#include <cstdint>

namespace qm::test {

struct Rgb {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    bool operator==(const Rgb&) const = default;
};

// Pixel (x, y) of picture `picture` as stored in the camera, (0, 0) top left.
inline Rgb cameraPixel(int picture, int x, int y)
{
    return Rgb{std::uint8_t(x * 7 + picture * 50), std::uint8_t(y * 5 + picture * 13),
               std::uint8_t(x * 3 + y * 11 + picture * 31)};
}

// Pixel (x, y) of the picture delivered after `rotation` quarter turns to the
// right; `width` and `height` are the camera's (unturned) size.
inline Rgb deliveredPixel(int picture, int width, int height, int rotation, int x, int y)
{
    switch (rotation & 3) {
    case 1:
        return cameraPixel(picture, y, height - 1 - x);
    case 2:
        return cameraPixel(picture, width - 1 - x, height - 1 - y);
    case 3:
        return cameraPixel(picture, width - 1 - y, x);
    default:
        return cameraPixel(picture, x, y);
    }
}

}  // namespace qm::test
