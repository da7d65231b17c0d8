#include "device/imaging/jpeg/huffman_coder.h"

#include <bit>
#include <cstdlib>

namespace qm::device::imaging {

namespace {

constexpr int kMaxDcCategory = 11;
constexpr int kMaxAcCategory = 10;
constexpr std::uint8_t kEndOfBlock = 0x00;
constexpr std::uint8_t kZeroRun16 = 0xF0;

// The number of bits that hold |value|: the coefficient's category.
int categoryOf(std::int32_t value)
{
    return std::bit_width(std::uint32_t(std::abs(value)));
}

// Negative values are sent as value - 1 in their low `category` bits.
std::uint32_t magnitudeBits(std::int32_t value) { return std::uint32_t(value < 0 ? value - 1 : value); }

bool writeSymbol(const HuffmanCodes& codes, std::uint8_t symbol, BitWriter& writer)
{
    if (codes.length[symbol] == 0)
        return false;
    writer.write(codes.code[symbol], codes.length[symbol]);
    return true;
}

}  // namespace

HuffmanCodes HuffmanCodes::from(const HuffmanTable& table)
{
    HuffmanCodes codes;
    std::uint32_t code = 0;
    std::size_t next = 0;
    for (int length = 1; length <= 16; ++length) {
        for (int i = 0; i < table.counts[length - 1] && next < table.symbols.size(); ++i, ++next) {
            const std::uint8_t symbol = table.symbols[next];
            codes.code[symbol] = std::uint16_t(code++);
            codes.length[symbol] = std::uint8_t(length);
        }
        code <<= 1;
    }
    return codes;
}

bool encodeBlock(const std::array<std::int32_t, 64>& zigzag, ComponentCoder& component, BitWriter& writer)
{
    const std::int32_t difference = zigzag[0] - component.previousDc;
    component.previousDc = zigzag[0];
    const int dcCategory = categoryOf(difference);
    if (dcCategory > kMaxDcCategory || !writeSymbol(component.dc, std::uint8_t(dcCategory), writer))
        return false;
    if (dcCategory > 0)
        writer.write(magnitudeBits(difference), dcCategory);

    int run = 0;
    for (int k = 1; k < 64; ++k) {
        const std::int32_t value = zigzag[k];
        if (value == 0) {
            ++run;
            continue;
        }
        const int category = categoryOf(value);
        if (category > kMaxAcCategory)
            return false;
        for (; run >= 16; run -= 16) {
            if (!writeSymbol(component.ac, kZeroRun16, writer))
                return false;
        }
        if (!writeSymbol(component.ac, std::uint8_t((run << 4) | category), writer))
            return false;
        writer.write(magnitudeBits(value), category);
        run = 0;
    }
    return run == 0 || writeSymbol(component.ac, kEndOfBlock, writer);
}

}  // namespace qm::device::imaging
