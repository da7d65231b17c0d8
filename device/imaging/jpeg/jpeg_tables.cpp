#include "device/imaging/jpeg/jpeg_tables.h"

namespace qm::device::imaging {

namespace {

// Quality 90 scales the example tables to 20 %, rounded, kept within 1..255.
constexpr QuantisationTable scaledToQuality90(const QuantisationTable& table)
{
    constexpr int kScalePercent = 20;
    QuantisationTable scaled{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        int value = (table[i] * kScalePercent + 50) / 100;
        scaled[i] = std::uint8_t(value < 1 ? 1 : value > 255 ? 255 : value);
    }
    return scaled;
}

}  // namespace

constinit const QuantisationTable kLuminanceQuantisation = scaledToQuality90(jpeg::kLuminanceQuantZigzag);
constinit const QuantisationTable kChrominanceQuantisation = scaledToQuality90(jpeg::kChrominanceQuantZigzag);

}  // namespace qm::device::imaging
