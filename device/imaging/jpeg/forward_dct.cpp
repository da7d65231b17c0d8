#include "device/imaging/jpeg/forward_dct.h"

#include "device/imaging/simd/code_path.h"

namespace qm::device::imaging {

namespace {

constexpr const DctMatrix& c = kDctMatrix;

// Row k of the matrix applied to the mirrored sums (even k) or differences
// (odd k) of the inputs: even rows are symmetric and odd rows antisymmetric,
// so this halves the products and gives the same integers.
template <std::size_t k>
inline std::int32_t transformed(const std::int32_t* s, const std::int32_t* d)
{
    const std::int32_t* v = k % 2 == 0 ? s : d;
    return (c[k][0] * v[0] + c[k][1] * v[1] + c[k][2] * v[2] + c[k][3] * v[3]) >> 10;
}

// One pass over eight values `step` apart.
inline void transform8(const std::int32_t* in, std::size_t step, std::int32_t* out, std::size_t outStep)
{
    std::int32_t s[4], d[4];
    for (std::size_t n = 0; n < 4; ++n) {
        s[n] = in[n * step] + in[(7 - n) * step];
        d[n] = in[n * step] - in[(7 - n) * step];
    }
    out[0] = transformed<0>(s, d);
    out[outStep] = transformed<1>(s, d);
    out[2 * outStep] = transformed<2>(s, d);
    out[3 * outStep] = transformed<3>(s, d);
    out[4 * outStep] = transformed<4>(s, d);
    out[5 * outStep] = transformed<5>(s, d);
    out[6 * outStep] = transformed<6>(s, d);
    out[7 * outStep] = transformed<7>(s, d);
}

void transformBlockScalar(const std::int16_t* samples, std::size_t stride, const QuantisationDivisors& divisors,
                          QuantisedBlock& out)
{
    std::int32_t in[64], rows[64], natural[64];
    for (std::size_t y = 0; y < 8; ++y)
        for (std::size_t x = 0; x < 8; ++x)
            in[y * 8 + x] = samples[y * stride + x];
#pragma GCC unroll 8
    for (std::size_t y = 0; y < 8; ++y)
        transform8(in + y * 8, 1, rows + y * 8, 1);
#pragma GCC unroll 8
    for (std::size_t x = 0; x < 8; ++x)
        transform8(rows + x, 8, natural + x, 8);
#pragma GCC unroll 64
    for (std::size_t i = 0; i < 64; ++i) {
        const std::size_t at = kZigzagToNatural[i];
        out[i] = std::int16_t(divisors.quantise(natural[at], at));
    }
}

}  // namespace

QuantisationDivisors QuantisationDivisors::from(const QuantisationTable& zigzagTable)
{
    QuantisationDivisors divisors;
    for (std::size_t i = 0; i < 64; ++i) {
        const std::size_t natural = kZigzagToNatural[i];
        const unsigned q = zigzagTable[i] == 0 ? 1 : zigzagTable[i];
        divisors.reciprocal[natural] = ((std::uint64_t(1) << 32) / q) + 1;
        divisors.divisor[natural] = float(q);
    }
    return divisors;
}

void transformBlocksScalar(const std::int16_t* samples, std::size_t stride, std::size_t count,
                           const QuantisationDivisors& divisors, QuantisedBlock* out)
{
    for (std::size_t i = 0; i < count; ++i)
        transformBlockScalar(samples + 8 * i, stride, divisors, out[i]);
}

#if !defined(__x86_64__)
void transformBlocksAvx2(const std::int16_t* samples, std::size_t stride, std::size_t count,
                         const QuantisationDivisors& divisors, QuantisedBlock* out)
{
    transformBlocksScalar(samples, stride, count, divisors, out);
}
#endif

void transformBlocks(const std::int16_t* samples, std::size_t stride, std::size_t count,
                     const QuantisationDivisors& divisors, QuantisedBlock* out)
{
    if (activeCodePath() == CodePath::Avx2)
        transformBlocksAvx2(samples, stride, count, divisors, out);
    else
        transformBlocksScalar(samples, stride, count, divisors, out);
}

}  // namespace qm::device::imaging
