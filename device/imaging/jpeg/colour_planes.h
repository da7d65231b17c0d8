// The upload picture as the encoder codes it, one row of minimum coded units
// (8 picture rows) at a time: the luminance (Y - 128) and the Cb and Cr
// planes halved across, 16-bit samples, top row first.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "device/imaging/model_rules.h"

namespace qm::device::imaging {

inline constexpr std::size_t kChromaWidth = kUploadWidth / 2;
inline constexpr std::size_t kMcuRows = 8;

struct McuRowPlanes {
    std::array<std::int16_t, kMcuRows * kUploadWidth> luminance;
    std::array<std::int16_t, kMcuRows * kChromaWidth> blue;  // Cb
    std::array<std::int16_t, kMcuRows * kChromaWidth> red;   // Cr
};

// Y = (306 R + 601 G + 117 B) >> 10, stored less 128.
inline std::int16_t luminanceOf(int r, int g, int b) { return std::int16_t(((306 * r + 601 * g + 117 * b) >> 10) - 128); }

// Cb = -0.168736 R - 0.331264 G + 0.5 B cut toward zero. The coefficients
// are multiples of 1 / 31250, so the exact quotient below is that value; the
// floating-point form it replaces never rounds across an integer here.
inline std::int16_t blueDifferenceOf(int r, int g, int b)
{
    return std::int16_t((-5273 * r - 10352 * g + 15625 * b) / 31250);
}

// Cr = 0.5 R - 0.418688 G - 0.081312 B cut toward zero, as the camera's
// encoder computes it in double precision. That differs from the exact
// quotient only where the exact value is a whole number, which needs G = B:
// those pixels take the double-precision form itself.
inline bool needsDoubleRedDifference(int g, int b) { return g == b; }
inline std::int16_t redDifferenceInDouble(int r, int g, int b)
{
    return std::int16_t(0.5 * r - 0.418688 * g - 0.081312 * b);
}
inline std::int16_t redDifferenceOf(int r, int g, int b)
{
    if (needsDoubleRedDifference(g, b))
        return redDifferenceInDouble(r, g, b);
    return std::int16_t((15625 * r - 13084 * g - 2541 * b) / 31250);
}

// Converts picture rows firstRow .. firstRow + 7 (counted from the top) of
// bottom-up 24-bit rows of `stride` bytes; each horizontal chroma pair
// becomes (a + b) >> 1.
void convertMcuRow(const std::uint8_t* bottomUpRows, std::size_t stride, std::size_t firstRow, McuRowPlanes& planes);

// The paths behind convertMcuRow, for tests.
void convertMcuRowScalar(const std::uint8_t* bottomUpRows, std::size_t stride, std::size_t firstRow,
                         McuRowPlanes& planes);
void convertMcuRowAvx2(const std::uint8_t* bottomUpRows, std::size_t stride, std::size_t firstRow,
                       McuRowPlanes& planes);

}  // namespace qm::device::imaging
