#include "device/imaging/jpeg/colour_planes.h"

#include "device/imaging/simd/code_path.h"

namespace qm::device::imaging {

void convertMcuRowScalar(const std::uint8_t* bottomUpRows, std::size_t stride, std::size_t firstRow,
                         McuRowPlanes& planes)
{
    for (std::size_t row = 0; row < kMcuRows; ++row) {
        const std::uint8_t* pixel = bottomUpRows + (kUploadHeight - 1 - (firstRow + row)) * stride;
        std::int16_t* luminance = planes.luminance.data() + row * kUploadWidth;
        std::int16_t* blue = planes.blue.data() + row * kChromaWidth;
        std::int16_t* red = planes.red.data() + row * kChromaWidth;
        for (std::size_t x = 0; x < kChromaWidth; ++x, pixel += 6) {
            const int b0 = pixel[0], g0 = pixel[1], r0 = pixel[2];
            const int b1 = pixel[3], g1 = pixel[4], r1 = pixel[5];
            luminance[2 * x] = luminanceOf(r0, g0, b0);
            luminance[2 * x + 1] = luminanceOf(r1, g1, b1);
            blue[x] = std::int16_t((blueDifferenceOf(r0, g0, b0) + blueDifferenceOf(r1, g1, b1)) >> 1);
            red[x] = std::int16_t((redDifferenceOf(r0, g0, b0) + redDifferenceOf(r1, g1, b1)) >> 1);
        }
    }
}

#if !defined(__x86_64__)
void convertMcuRowAvx2(const std::uint8_t* bottomUpRows, std::size_t stride, std::size_t firstRow,
                       McuRowPlanes& planes)
{
    convertMcuRowScalar(bottomUpRows, stride, firstRow, planes);
}
#endif

void convertMcuRow(const std::uint8_t* bottomUpRows, std::size_t stride, std::size_t firstRow, McuRowPlanes& planes)
{
    if (activeCodePath() == CodePath::Avx2)
        convertMcuRowAvx2(bottomUpRows, stride, firstRow, planes);
    else
        convertMcuRowScalar(bottomUpRows, stride, firstRow, planes);
}

}  // namespace qm::device::imaging
