#include "simulators/dualcam/jpeg_tables.h"

namespace qm::dualcam {

const std::array<std::uint8_t, 64> kZigzagToNatural = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

const QuantTable kLuminanceBase = {
    16, 11, 12, 14,  12,  10,  16,  14,  13,  14,  18,  17,  16, 19,  24,  40,
    26, 24, 22, 22,  24,  49,  35,  37,  29,  40,  58,  51,  61, 60,  57,  51,
    56, 55, 64, 72,  92,  78,  64,  68,  87,  69,  55,  56,  80, 109, 81,  87,
    95, 98, 103, 104, 103, 62, 77,  113, 121, 112, 100, 120, 92, 101, 103, 99,
};

const QuantTable kChrominanceBase = {
    17, 18, 18, 24, 21, 24, 47, 26, 26, 47, 99, 66, 56, 66, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
};

QuantTable scaleQuantTable(const QuantTable& base, int quality)
{
    QuantTable scaled{};
    for (std::size_t i = 0; i < base.size(); ++i) {
        const int product = base[i] * quality;
        int entry;
        if (product / 64 == 0)
            entry = 1;
        else if (product / 64 >= 256)
            entry = 255;
        else
            entry = (product + 32) / 64;
        scaled[i] = std::uint8_t(entry > 255 ? 255 : entry);
    }
    return scaled;
}

Sampling videoSampling(int width)
{
    return (width == 160 || width == 176) ? Sampling::H2V1 : Sampling::H4V1;
}

}  // namespace qm::dualcam
