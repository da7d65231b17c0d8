#include "device/imaging/jpeg/forward_dct.h"

#include <cmath>
#include <numbers>

namespace qm::device::imaging {

const DctMatrix& dctMatrix()
{
    static const DctMatrix matrix = [] {
        DctMatrix m{};
        for (int k = 0; k < 8; ++k) {
            const double ck = k == 0 ? 1.0 / (2.0 * std::numbers::sqrt2) : 0.5;
            for (int n = 0; n < 8; ++n)
                m[k][n] = std::int32_t(1024.0 * ck * std::cos((2 * n + 1) * k * std::numbers::pi / 16.0));
        }
        return m;
    }();
    return matrix;
}

void forwardDct(const std::int16_t* samples, std::size_t stride, CoefficientBlock& coefficients)
{
    const DctMatrix& c = dctMatrix();
    // First pass along each row; the result is stored transposed so that the
    // second pass again runs along rows.
    std::int32_t transposed[8][8];
    for (int row = 0; row < 8; ++row) {
        const std::int16_t* in = samples + std::size_t(row) * stride;
        for (int k = 0; k < 8; ++k) {
            std::int32_t sum = 0;
            for (int n = 0; n < 8; ++n)
                sum += c[k][n] * in[n];
            transposed[k][row] = sum >> 10;
        }
    }
    for (int column = 0; column < 8; ++column) {
        const std::int32_t* in = transposed[column];
        for (int k = 0; k < 8; ++k) {
            std::int32_t sum = 0;
            for (int n = 0; n < 8; ++n)
                sum += c[k][n] * in[n];
            coefficients[std::size_t(k) * 8 + std::size_t(column)] = sum >> 10;
        }
    }
}

void quantiseZigzag(const CoefficientBlock& coefficients, const QuantisationTable& table, CoefficientBlock& zigzag)
{
    for (std::size_t i = 0; i < 64; ++i)
        zigzag[i] = (coefficients[kZigzagToNatural[i]] * 1024 / table[i] + 512) >> 10;
}

}  // namespace qm::device::imaging
