#include "device/imaging/pixels/unsharp_mask.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "device/imaging/simd/code_path.h"

namespace qm::device::imaging {

namespace {

constexpr int kTopOfScale = 1000;
constexpr float kStrongest = 0.7f;
constexpr std::size_t kBorder = 2;  // pixels kept on every side

void horizontalSumsScalar(const std::uint8_t* row, std::uint16_t* sums, std::size_t begin, std::size_t end)
{
    for (std::size_t b = begin; b < end; ++b)
        sums[b] = std::uint16_t(row[b - 6] + row[b - 3] + row[b] + row[b + 3] + row[b + 6]);
}

void finishRowScalar(const std::uint16_t* const sums[5], const std::uint8_t* row, std::uint8_t* out,
                     std::size_t begin, std::size_t end, float fraction)
{
    for (std::size_t b = begin; b < end; ++b) {
        const int box = sums[0][b] + sums[1][b] + sums[2][b] + sums[3][b] + sums[4][b];
        out[b] = sharpenedSample(box, row[b], fraction);
    }
}

const UnsharpKernels& activeKernels()
{
    return activeCodePath() == CodePath::Avx2 ? unsharpKernelsAvx2() : unsharpKernelsScalar();
}

}  // namespace

float sharpeningFraction(int factor) { return kStrongest * float(std::min(factor, kTopOfScale)) / kTopOfScale; }

const UnsharpKernels& unsharpKernelsScalar()
{
    static const UnsharpKernels kernels{horizontalSumsScalar, finishRowScalar};
    return kernels;
}

#if !defined(__x86_64__)
const UnsharpKernels& unsharpKernelsAvx2() { return unsharpKernelsScalar(); }
#endif

void unsharpMask(const std::uint8_t* source, std::size_t sourceStride, std::uint8_t* targetFirst,
                 std::ptrdiff_t targetStep, int width, int height, float fraction)
{
    const std::size_t rowBytes = std::size_t(width) * 3;
    const auto sourceRow = [&](std::size_t y) { return source + y * sourceStride; };
    const auto targetRow = [&](std::size_t y) { return targetFirst + std::ptrdiff_t(y) * targetStep; };
    const std::size_t rows = std::size_t(height);
    const bool hasInside = width > int(2 * kBorder) && height > int(2 * kBorder);
    if (!hasInside) {
        for (std::size_t y = 0; y < rows; ++y)
            std::memcpy(targetRow(y), sourceRow(y), rowBytes);
        return;
    }

    const UnsharpKernels& kernels = activeKernels();
    const std::size_t begin = kBorder * 3, end = rowBytes - kBorder * 3;
    // Five rows of horizontal sums, reused round robin.
    std::vector<std::uint16_t> ring(5 * rowBytes);
    const auto sumsOf = [&](std::size_t y) { return ring.data() + (y % 5) * rowBytes; };
    for (std::size_t y = 0; y < 4; ++y)
        kernels.horizontalSums(sourceRow(y), sumsOf(y), begin, end);

    for (std::size_t y = 0; y < kBorder; ++y) {
        std::memcpy(targetRow(y), sourceRow(y), rowBytes);
        std::memcpy(targetRow(rows - 1 - y), sourceRow(rows - 1 - y), rowBytes);
    }
    for (std::size_t y = kBorder; y + kBorder < rows; ++y) {
        kernels.horizontalSums(sourceRow(y + 2), sumsOf(y + 2), begin, end);
        const std::uint16_t* const sums[5] = {sumsOf(y - 2), sumsOf(y - 1), sumsOf(y), sumsOf(y + 1), sumsOf(y + 2)};
        std::uint8_t* out = targetRow(y);
        const std::uint8_t* in = sourceRow(y);
        kernels.finishRow(sums, in, out, begin, end, fraction);
        std::memcpy(out, in, begin);
        std::memcpy(out + end, in + end, rowBytes - end);
    }
}

}  // namespace qm::device::imaging
