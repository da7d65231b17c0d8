#include "simulators/dualcam/jpeg_tables.h"

namespace qm::dualcam {

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
