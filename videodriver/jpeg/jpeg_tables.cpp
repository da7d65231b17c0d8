#include "videodriver/jpeg/jpeg_tables.h"

namespace qm::morvax {

constinit const std::array<HuffmanTableLayout, 4> kStandardHuffmanTables = {{
    {0x00, jpeg::kDcLuminanceHuffman.counts, jpeg::kDcLuminanceHuffman.symbols},
    {0x10, jpeg::kAcLuminanceHuffman.counts, jpeg::kAcLuminanceHuffman.symbols},
    {0x01, jpeg::kDcChrominanceHuffman.counts, jpeg::kDcChrominanceHuffman.symbols},
    {0x11, jpeg::kAcChrominanceHuffman.counts, jpeg::kAcChrominanceHuffman.symbols},
}};

QuantTable scaleQuantTable(const QuantTable& base, unsigned quality)
{
    QuantTable scaled{};
    for (std::size_t i = 0; i < base.size(); ++i) {
        const unsigned product = base[i] * quality;
        unsigned entry;
        if (product / 64 == 0)
            entry = 1;
        else if (product / 64 >= 256)
            entry = 255;
        else
            entry = (product + 32) / 64;
        // Rounding can carry a product just below the clamp up to 256,
        // which a byte would store as 0: an entry that wipes out its
        // coefficient.
        scaled[i] = std::uint8_t(entry > 255 ? 255 : entry);
    }
    return scaled;
}

}  // namespace qm::morvax
