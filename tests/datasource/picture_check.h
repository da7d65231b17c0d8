// Checks that pictures an application received show, pixel for pixel, what
// the test panel served.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

#include "platform/system/byte_order.h"
#include "tests/datasource/test_panel/test_picture.h"

namespace qm::test {

// The served picture: number and camera size, and the quarter turns applied.
struct ServedPicture {
    int number;
    int width;
    int height;
    int rotation = 0;

    int deliveredWidth() const { return rotation % 2 ? height : width; }
    int deliveredHeight() const { return rotation % 2 ? width : height; }
    Rgb pixel(int x, int y) const { return deliveredPixel(number, width, height, rotation, x, y); }
};

// Rows of red-green-blue pixels, top row first: image rows firstRow onward.
inline ::testing::AssertionResult rgbRowsMatch(const std::uint8_t* rows, std::size_t bytesPerRow, int firstRow,
                                               int rowCount, const ServedPicture& served)
{
    for (int k = 0; k < rowCount; ++k) {
        const std::uint8_t* row = rows + std::size_t(k) * bytesPerRow;
        for (int x = 0; x < served.deliveredWidth(); ++x) {
            const Rgb expected = served.pixel(x, firstRow + k);
            const Rgb got{row[3 * x], row[3 * x + 1], row[3 * x + 2]};
            if (!(got == expected))
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << firstRow + k << ") differs";
        }
    }
    return ::testing::AssertionSuccess();
}

// A packed device-independent bitmap: 40-byte header, bottom-up BGR rows
// padded to 4 bytes.
inline ::testing::AssertionResult dibMatches(const std::uint8_t* dib, std::size_t size, const ServedPicture& served)
{
    if (size < 40)
        return ::testing::AssertionFailure() << "no header";
    const int width = int(sys::readLe32(dib + 4));
    const int height = int(sys::readLe32(dib + 8));
    if (width != served.deliveredWidth() || height != served.deliveredHeight() || sys::readLe16(dib + 14) != 24)
        return ::testing::AssertionFailure() << "header says " << width << " x " << height;
    const std::size_t stride = (std::size_t(width) * 3 + 3) & ~std::size_t(3);
    if (size < 40 + stride * std::size_t(height))
        return ::testing::AssertionFailure() << "bitmap of " << size << " bytes is short";
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = dib + 40 + std::size_t(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const Rgb expected = served.pixel(x, y);
            const Rgb got{row[3 * x + 2], row[3 * x + 1], row[3 * x]};
            if (!(got == expected))
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") differs";
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace qm::test
