// The DCT and quantisation on AVX2, two horizontally adjacent blocks at a
// time (one in each 128-bit lane). Each pass runs down the columns with the
// rows as vectors, so the block is transposed before the row pass and again
// between the passes. Products of 16-bit values are summed in 32 bits
// (pmaddwd) and shifted as the scalar form does, so the results are equal.
// The quantising division is taken in single precision, which is exact here:
// the dividend, at most 2^20, is an exact float, and a quotient that is not
// whole lies at least 1/Q from the nearest integer, more than its rounding
// error.
#if defined(__x86_64__)

#include <immintrin.h>

#include <array>

#include "device/imaging/jpeg/forward_dct.h"

namespace qm::device::imaging {

namespace {

#define QM_AVX2 __attribute__((target("avx2")))

struct Rows {
    __m256i row[8];
};

QM_AVX2 inline void transpose(Rows& m)
{
    __m256i t[8], u[8];
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) {
        t[2 * i] = _mm256_unpacklo_epi16(m.row[2 * i], m.row[2 * i + 1]);
        t[2 * i + 1] = _mm256_unpackhi_epi16(m.row[2 * i], m.row[2 * i + 1]);
    }
    // t0 = rows 0,1 columns 0-3; t1 = rows 0,1 columns 4-7; t2, t3 rows 2,3; ...
    u[0] = _mm256_unpacklo_epi32(t[0], t[2]);  // rows 0-3, columns 0-1
    u[1] = _mm256_unpackhi_epi32(t[0], t[2]);  // rows 0-3, columns 2-3
    u[2] = _mm256_unpacklo_epi32(t[1], t[3]);  // rows 0-3, columns 4-5
    u[3] = _mm256_unpackhi_epi32(t[1], t[3]);  // rows 0-3, columns 6-7
    u[4] = _mm256_unpacklo_epi32(t[4], t[6]);
    u[5] = _mm256_unpackhi_epi32(t[4], t[6]);
    u[6] = _mm256_unpacklo_epi32(t[5], t[7]);
    u[7] = _mm256_unpackhi_epi32(t[5], t[7]);
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) {
        m.row[2 * i] = _mm256_unpacklo_epi64(u[i], u[i + 4]);
        m.row[2 * i + 1] = _mm256_unpackhi_epi64(u[i], u[i + 4]);
    }
}

// Two matrix entries as one 32-bit lane for pmaddwd.
QM_AVX2 inline __m256i pair(std::int32_t first, std::int32_t second)
{
    return _mm256_set1_epi32(int((std::uint32_t(std::uint16_t(second)) << 16) | std::uint16_t(first)));
}

// out[k] (columns 0-3 in low, 4-7 in high, 32-bit) = (sum over rows n of
// C[k][n] m[n]) >> 10, through mirrored sums and differences.
struct Columns32 {
    __m256i low[8];
    __m256i high[8];
};

QM_AVX2 inline void columnPass(const Rows& m, Columns32& out)
{
    __m256i s[4], d[4];
#pragma GCC unroll 4
    for (int n = 0; n < 4; ++n) {
        s[n] = _mm256_add_epi16(m.row[n], m.row[7 - n]);
        d[n] = _mm256_sub_epi16(m.row[n], m.row[7 - n]);
    }
    const __m256i s01Low = _mm256_unpacklo_epi16(s[0], s[1]), s01High = _mm256_unpackhi_epi16(s[0], s[1]);
    const __m256i s23Low = _mm256_unpacklo_epi16(s[2], s[3]), s23High = _mm256_unpackhi_epi16(s[2], s[3]);
    const __m256i d01Low = _mm256_unpacklo_epi16(d[0], d[1]), d01High = _mm256_unpackhi_epi16(d[0], d[1]);
    const __m256i d23Low = _mm256_unpacklo_epi16(d[2], d[3]), d23High = _mm256_unpackhi_epi16(d[2], d[3]);
#pragma GCC unroll 8
    for (int k = 0; k < 8; ++k) {
        const __m256i w01 = pair(kDctMatrix[k][0], kDctMatrix[k][1]);
        const __m256i w23 = pair(kDctMatrix[k][2], kDctMatrix[k][3]);
        const bool even = k % 2 == 0;
        const __m256i low = _mm256_add_epi32(_mm256_madd_epi16(even ? s01Low : d01Low, w01),
                                             _mm256_madd_epi16(even ? s23Low : d23Low, w23));
        const __m256i high = _mm256_add_epi32(_mm256_madd_epi16(even ? s01High : d01High, w01),
                                              _mm256_madd_epi16(even ? s23High : d23High, w23));
        out.low[k] = _mm256_srai_epi32(low, 10);
        out.high[k] = _mm256_srai_epi32(high, 10);
    }
}

// The zigzag order as byte shuffles of the natural rows: group k of eight
// zigzag positions gathers from the rows listed for it, each through one
// pshufb whose lanes pick the 16-bit coefficients of that row.
struct ZigzagGather {
    std::uint8_t group;
    std::uint8_t row;
    std::array<std::int8_t, 16> mask;
};

constexpr std::size_t countZigzagGathers()
{
    std::size_t count = 0;
    for (std::size_t group = 0; group < 8; ++group)
        for (std::size_t row = 0; row < 8; ++row) {
            bool used = false;
            for (std::size_t p = 0; p < 8; ++p)
                used = used || kZigzagToNatural[group * 8 + p] / 8 == row;
            count += used ? 1 : 0;
        }
    return count;
}

constexpr auto zigzagGathers()
{
    std::array<ZigzagGather, countZigzagGathers()> gathers{};
    std::size_t next = 0;
    for (std::size_t group = 0; group < 8; ++group)
        for (std::size_t row = 0; row < 8; ++row) {
            ZigzagGather gather{std::uint8_t(group), std::uint8_t(row), {}};
            bool used = false;
            for (std::size_t p = 0; p < 8; ++p) {
                const std::size_t natural = kZigzagToNatural[group * 8 + p];
                const bool here = natural / 8 == row;
                gather.mask[2 * p] = here ? std::int8_t(2 * (natural % 8)) : std::int8_t(-1);
                gather.mask[2 * p + 1] = here ? std::int8_t(2 * (natural % 8) + 1) : std::int8_t(-1);
                used = used || here;
            }
            if (used)
                gathers[next++] = gather;
        }
    return gathers;
}

constexpr auto kZigzagGathers = zigzagGathers();

QM_AVX2 inline __m256i quantised(__m256i coefficients, __m256 divisor)
{
    const __m256i magnitude = _mm256_slli_epi32(_mm256_abs_epi32(coefficients), 10);
    const __m256i quotient = _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(magnitude), divisor));
    return _mm256_srai_epi32(_mm256_add_epi32(_mm256_sign_epi32(quotient, coefficients), _mm256_set1_epi32(512)), 10);
}

QM_AVX2 void transformPair(const std::int16_t* samples, std::size_t stride, const QuantisationDivisors& divisors,
                           QuantisedBlock& left, QuantisedBlock& right)
{
    Rows m;
#pragma GCC unroll 8
    for (std::size_t y = 0; y < 8; ++y)
        m.row[y] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(samples + y * stride));
    transpose(m);
    Columns32 pass;
    columnPass(m, pass);  // the row pass, transposed
#pragma GCC unroll 8
    for (int k = 0; k < 8; ++k)
        m.row[k] = _mm256_packs_epi32(pass.low[k], pass.high[k]);
    transpose(m);
    columnPass(m, pass);

    __m256i natural[8];
#pragma GCC unroll 8
    for (int k = 0; k < 8; ++k) {
        const float* q = divisors.divisor.data() + k * 8;
        const __m256 divisorLow = _mm256_setr_ps(q[0], q[1], q[2], q[3], q[0], q[1], q[2], q[3]);
        const __m256 divisorHigh = _mm256_setr_ps(q[4], q[5], q[6], q[7], q[4], q[5], q[6], q[7]);
        natural[k] = _mm256_packs_epi32(quantised(pass.low[k], divisorLow), quantised(pass.high[k], divisorHigh));
    }
    __m256i zigzag[8];
#pragma GCC unroll 8
    for (__m256i& group : zigzag)
        group = _mm256_setzero_si256();
#pragma GCC unroll 32
    for (const ZigzagGather& gather : kZigzagGathers) {
        const __m256i mask = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(gather.mask.data())));
        zigzag[gather.group] = _mm256_or_si256(zigzag[gather.group], _mm256_shuffle_epi8(natural[gather.row], mask));
    }
#pragma GCC unroll 8
    for (std::size_t k = 0; k < 8; ++k) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(left.data() + 8 * k), _mm256_castsi256_si128(zigzag[k]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(right.data() + 8 * k), _mm256_extracti128_si256(zigzag[k], 1));
    }
}

}  // namespace

QM_AVX2 void transformBlocksAvx2(const std::int16_t* samples, std::size_t stride, std::size_t count,
                                 const QuantisationDivisors& divisors, QuantisedBlock* out)
{
    std::size_t i = 0;
    for (; i + 2 <= count; i += 2)
        transformPair(samples + 8 * i, stride, divisors, out[i], out[i + 1]);
    if (i < count)
        transformBlocksScalar(samples + 8 * i, stride, count - i, divisors, out + i);
}

}  // namespace qm::device::imaging

#endif  // __x86_64__
