// The resampling row kernels on AVX2: two groups of 8 target bytes a step,
// each gathered out of its own 16 source bytes with byte shuffles.
#if defined(__x86_64__)

#include <immintrin.h>

#include "device/imaging/pixels/resample_rows.h"

namespace qm::device::imaging {

#define QM_AVX2 __attribute__((target("avx2")))

namespace {

template <typename T>
QM_AVX2 inline __m256i table(const std::vector<T>& values, std::size_t at)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(values.data() + at));
}

}  // namespace

QM_AVX2 void interpolateRowAvx2(const std::uint8_t* row, const RowTables& tables, std::uint16_t* out)
{
    for (std::size_t g = 0; g < tables.groups(); g += 2) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + tables.base[g]));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + tables.base[g + 1]));
        const __m256i bytes = _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
        const __m256i first = _mm256_shuffle_epi8(bytes, table(tables.firstMask, g * 16));
        const __m256i second = _mm256_shuffle_epi8(bytes, table(tables.secondMask, g * 16));
        const __m256i sum = _mm256_add_epi16(_mm256_mullo_epi16(first, table(tables.firstWeight, g * 8)),
                                             _mm256_mullo_epi16(second, table(tables.secondWeight, g * 8)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + g * 8), sum);
    }
}

QM_AVX2 void blendRowsAvx2(const std::uint16_t* first, const std::uint16_t* second, int firstWeight,
                           int secondWeight, std::uint8_t* out, std::size_t bytes)
{
    const __m256i a = _mm256_set1_epi16(std::int16_t(firstWeight));
    const __m256i b = _mm256_set1_epi16(std::int16_t(secondWeight));
    const __m256i half = _mm256_set1_epi16(128);
    std::size_t i = 0;
    for (; i + 32 <= bytes; i += 32) {
        __m256i blended[2];
        for (std::size_t h = 0; h < 2; ++h) {
            const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(first + i + 16 * h));
            const __m256i q = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(second + i + 16 * h));
            // At most 16 x 4080 + 128: the sums stay within 16 unsigned bits.
            const __m256i sum = _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(p, a), _mm256_mullo_epi16(q, b)), half);
            blended[h] = _mm256_srli_epi16(sum, 8);
        }
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(blended[0], blended[1]), 0b11011000);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), packed);
    }
    blendRowsScalar(first + i, second + i, firstWeight, secondWeight, out + i, bytes - i);
}

}  // namespace qm::device::imaging

#endif  // __x86_64__
