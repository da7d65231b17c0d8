// The unsharp-masking row kernels on AVX2, sixteen samples a step. The
// rounding differs in form from the scalar one but not in result: adding
// 0.5 in single precision cannot carry a value across an integer that the
// exact sum would not reach, and negative values clamp to 0 either way.
#if defined(__x86_64__)

#include <immintrin.h>

#include "device/imaging/pixels/unsharp_mask.h"

namespace qm::device::imaging {

namespace {

#define QM_AVX2 __attribute__((target("avx2")))

QM_AVX2 inline __m256i widened(const std::uint8_t* bytes)
{
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes)));
}

QM_AVX2 inline __m256i words(const std::uint16_t* values)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(values));
}

QM_AVX2 void horizontalSumsAvx2(const std::uint8_t* row, std::uint16_t* sums, std::size_t begin, std::size_t end)
{
    std::size_t b = begin;
    for (; b + 16 <= end; b += 16) {
        const __m256i sum = _mm256_add_epi16(
            _mm256_add_epi16(_mm256_add_epi16(widened(row + b - 6), widened(row + b - 3)), widened(row + b)),
            _mm256_add_epi16(widened(row + b + 3), widened(row + b + 6)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + b), sum);
    }
    unsharpKernelsScalar().horizontalSums(row, sums, b, end);
}

// Eight samples from their box sums and values, as 32-bit integers.
QM_AVX2 inline __m256i sharpened8(__m256i box, __m256i sample, __m256 fraction)
{
    const __m256 mean = _mm256_mul_ps(_mm256_set1_ps(float(1.0 / 25.0)), _mm256_cvtepi32_ps(box));
    const __m256 value = _mm256_cvtepi32_ps(sample);
    const __m256 result = _mm256_add_ps(value, _mm256_mul_ps(fraction, _mm256_sub_ps(value, mean)));
    const __m256 rounded = _mm256_max_ps(_mm256_add_ps(result, _mm256_set1_ps(0.5f)), _mm256_setzero_ps());
    return _mm256_cvttps_epi32(rounded);
}

QM_AVX2 void finishRowAvx2(const std::uint16_t* const sums[5], const std::uint8_t* row, std::uint8_t* out,
                           std::size_t begin, std::size_t end, float fraction)
{
    const __m256 weight = _mm256_set1_ps(fraction);
    std::size_t b = begin;
    for (; b + 16 <= end; b += 16) {
        // At most 5 x 1275: no 16-bit overflow.
        const __m256i box =
            _mm256_add_epi16(_mm256_add_epi16(_mm256_add_epi16(words(sums[0] + b), words(sums[1] + b)), words(sums[2] + b)),
                             _mm256_add_epi16(words(sums[3] + b), words(sums[4] + b)));
        const __m256i samples = widened(row + b);
        const __m256i low = sharpened8(_mm256_cvtepu16_epi32(_mm256_castsi256_si128(box)),
                                       _mm256_cvtepu16_epi32(_mm256_castsi256_si128(samples)), weight);
        const __m256i high = sharpened8(_mm256_cvtepu16_epi32(_mm256_extracti128_si256(box, 1)),
                                        _mm256_cvtepu16_epi32(_mm256_extracti128_si256(samples, 1)), weight);
        // Saturating packs clamp above 255; the order comes back with the permute.
        const __m256i words = _mm256_permute4x64_epi64(_mm256_packs_epi32(low, high), 0b11011000);
        const __m256i bytes = _mm256_packus_epi16(words, words);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + b),
                         _mm256_castsi256_si128(_mm256_permute4x64_epi64(bytes, 0b11011000)));
    }
    unsharpKernelsScalar().finishRow(sums, row, out, b, end, fraction);
}

}  // namespace

const UnsharpKernels& unsharpKernelsAvx2()
{
    static const UnsharpKernels kernels{horizontalSumsAvx2, finishRowAvx2};
    return kernels;
}

}  // namespace qm::device::imaging

#endif  // __x86_64__
