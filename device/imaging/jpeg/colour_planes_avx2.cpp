// The colour conversion of the upload encoder on AVX2: sixteen pixels a step,
// the same integer arithmetic as the scalar path. The chroma quotients are
// taken in single precision, which is exact here: every dividend is an
// integer below 2^22, and a quotient that is not whole lies at least 1/31250
// from the nearest integer, far more than the rounding error.
#if defined(__x86_64__)

#include <immintrin.h>

#include <array>

#include "device/imaging/jpeg/colour_planes.h"

namespace qm::device::imaging {

namespace {

// pshufb masks gathering one colour of 16 BGR pixels out of 48 bytes, one
// mask for each 16-byte part.
struct GatherMasks {
    std::array<std::array<std::int8_t, 16>, 3> part;
};

constexpr GatherMasks gatherMasks(int colour)
{
    GatherMasks masks{};
    for (int part = 0; part < 3; ++part)
        for (int pixel = 0; pixel < 16; ++pixel) {
            const int byte = pixel * 3 + colour;
            masks.part[part][pixel] = std::int8_t(byte / 16 == part ? byte % 16 : -1);
        }
    return masks;
}

constexpr GatherMasks kBlueMasks = gatherMasks(0);
constexpr GatherMasks kGreenMasks = gatherMasks(1);
constexpr GatherMasks kRedMasks = gatherMasks(2);

__attribute__((target("avx2"))) inline __m256i gatherColour(__m128i a, __m128i b, __m128i c, const GatherMasks& masks)
{
    const auto mask = [&](int part) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(masks.part[part].data())); };
    const __m128i bytes =
        _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, mask(0)), _mm_shuffle_epi8(b, mask(1))), _mm_shuffle_epi8(c, mask(2)));
    return _mm256_cvtepu8_epi16(bytes);
}

// A pair of 16-bit weights for _mm256_madd_epi16.
__attribute__((target("avx2"))) inline __m256i weights(int first, int second)
{
    return _mm256_set1_epi32(int((std::uint32_t(std::uint16_t(second)) << 16) | std::uint16_t(first)));
}

// w1 R + w2 G + w3 B from (R, G) and (B, 0) pairs.
__attribute__((target("avx2"))) inline __m256i weighted(__m256i rg, __m256i bz, __m256i wRg, __m256i wB)
{
    return _mm256_add_epi32(_mm256_madd_epi16(rg, wRg), _mm256_madd_epi16(bz, wB));
}

// The quotient by 31250 cut toward zero.
__attribute__((target("avx2"))) inline __m256i dividedBy31250(__m256i dividend)
{
    return _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(dividend), _mm256_set1_ps(31250.0f)));
}

// Sums adjacent pairs of 16 values given as lanes 0-3, 8-11 (low) and 4-7,
// 12-15 (high), shifts right by one and stores the eight results in order.
__attribute__((target("avx2"))) inline void storeHalved(__m256i low, __m256i high, std::int16_t* out)
{
    const __m256i sums = _mm256_srai_epi32(_mm256_hadd_epi32(low, high), 1);
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi32(sums, sums), 0b1000);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(packed));
}

}  // namespace

__attribute__((target("avx2"))) void convertMcuRowAvx2(const std::uint8_t* bottomUpRows, std::size_t stride,
                                                       std::size_t firstRow, McuRowPlanes& planes)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i luminanceRg = weights(306, 601), luminanceB = weights(117, 0);
    const __m256i blueRg = weights(-5273, -10352), blueB = weights(15625, 0);
    const __m256i redRg = weights(15625, -13084), redB = weights(-2541, 0);
    for (std::size_t row = 0; row < kMcuRows; ++row) {
        const std::uint8_t* line = bottomUpRows + (kUploadHeight - 1 - (firstRow + row)) * stride;
        std::int16_t* luminance = planes.luminance.data() + row * kUploadWidth;
        std::int16_t* blue = planes.blue.data() + row * kChromaWidth;
        std::int16_t* red = planes.red.data() + row * kChromaWidth;
        for (std::size_t x = 0; x < kUploadWidth; x += 16) {
            const std::uint8_t* pixel = line + x * 3;
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixel));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixel + 16));
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixel + 32));
            const __m256i r16 = gatherColour(a, b, c, kRedMasks);
            const __m256i g16 = gatherColour(a, b, c, kGreenMasks);
            const __m256i b16 = gatherColour(a, b, c, kBlueMasks);
            const __m256i rgLow = _mm256_unpacklo_epi16(r16, g16), rgHigh = _mm256_unpackhi_epi16(r16, g16);
            const __m256i bLow = _mm256_unpacklo_epi16(b16, zero), bHigh = _mm256_unpackhi_epi16(b16, zero);

            const __m256i offset = _mm256_set1_epi32(128);
            const __m256i yLow = _mm256_sub_epi32(_mm256_srai_epi32(weighted(rgLow, bLow, luminanceRg, luminanceB), 10), offset);
            const __m256i yHigh = _mm256_sub_epi32(_mm256_srai_epi32(weighted(rgHigh, bHigh, luminanceRg, luminanceB), 10), offset);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(luminance + x), _mm256_packs_epi32(yLow, yHigh));

            storeHalved(dividedBy31250(weighted(rgLow, bLow, blueRg, blueB)),
                        dividedBy31250(weighted(rgHigh, bHigh, blueRg, blueB)), blue + x / 2);

            if (_mm256_movemask_epi8(_mm256_cmpeq_epi16(g16, b16)) == 0) {
                storeHalved(dividedBy31250(weighted(rgLow, bLow, redRg, redB)),
                            dividedBy31250(weighted(rgHigh, bHigh, redRg, redB)), red + x / 2);
            } else {
                for (std::size_t i = 0; i < 8; ++i) {
                    const std::uint8_t* p = pixel + i * 6;
                    red[x / 2 + i] = std::int16_t(
                        (redDifferenceOf(p[2], p[1], p[0]) + redDifferenceOf(p[5], p[4], p[3])) >> 1);
                }
            }
        }
    }
}

}  // namespace qm::device::imaging

#endif  // __x86_64__
