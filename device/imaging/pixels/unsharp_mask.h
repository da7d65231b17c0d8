// Unsharp masking of 24-bit pictures exactly as the imaging library does it
// for a 5 x 5 neighbourhood: each colour apart, the mean of the 5 x 5 box
// (a sum of integers times 1/25 in single precision) subtracted from the
// pixel, a fraction of that added back, rounded half up and clamped to
// 0..255; the outer two rows and columns are kept as they are.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qm::device::imaging {

// The fraction of detail added for a strength on the camera settings'
// scale: 0 leaves the picture alone, 1000 (the top) adds 70 %, 800 adds 56 %.
float sharpeningFraction(int factor);

// One sharpened sample from the 5 x 5 box sum and the sample itself.
inline std::uint8_t sharpenedSample(int boxSum, int sample, float fraction)
{
    const float mean = float(1.0 / 25.0) * float(boxSum);
    const int value = int(double(float(sample) + fraction * (float(sample) - mean)) + 0.5);
    return std::uint8_t(value < 0 ? 0 : value > 255 ? 255 : value);
}

// Sharpens `width` x `height` pixels: source row y at source + y * sourceStride
// (bytes), target row y at targetFirst + y * targetStep; the two must not
// overlap.
void unsharpMask(const std::uint8_t* source, std::size_t sourceStride, std::uint8_t* targetFirst,
                 std::ptrdiff_t targetStep, int width, int height, float fraction);

// The row kernels behind it, per code path, for tests: the sums of the
// samples 6 and 3 bytes to each side for bytes [begin, end) of a row, and
// the finished samples from five rows of such sums.
using HorizontalSums = void (*)(const std::uint8_t* row, std::uint16_t* sums, std::size_t begin, std::size_t end);
using FinishRow = void (*)(const std::uint16_t* const sums[5], const std::uint8_t* row, std::uint8_t* out,
                           std::size_t begin, std::size_t end, float fraction);
struct UnsharpKernels {
    HorizontalSums horizontalSums;
    FinishRow finishRow;
};
const UnsharpKernels& unsharpKernelsScalar();
const UnsharpKernels& unsharpKernelsAvx2();

}  // namespace qm::device::imaging
