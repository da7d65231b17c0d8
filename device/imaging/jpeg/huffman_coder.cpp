#include "device/imaging/jpeg/huffman_coder.h"

#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qm::device::imaging {

namespace {

constexpr int kMaxDcCategory = 11;
constexpr int kMaxAcCategory = 10;
constexpr std::uint8_t kEndOfBlock = 0x00;
constexpr std::uint8_t kZeroRun16 = 0xF0;

// The number of bits that hold |value|: the coefficient's category.
int categoryOf(std::int32_t value) { return std::bit_width(std::uint32_t(value < 0 ? -value : value)); }

// Negative values are sent as value - 1 in their low `category` bits.
std::uint32_t magnitudeBits(std::int32_t value) { return std::uint32_t(value < 0 ? value - 1 : value); }

// Bit i set when coefficient i is not zero.
[[gnu::always_inline]] inline std::uint64_t nonZeroCoefficients(const QuantisedBlock& block)
{
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    std::uint64_t zeros = 0;
    for (int i = 0; i < 4; ++i) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block.data() + 16 * i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block.data() + 16 * i + 8));
        const __m128i bytes = _mm_packs_epi16(_mm_cmpeq_epi16(a, zero), _mm_cmpeq_epi16(b, zero));
        zeros |= std::uint64_t(std::uint32_t(_mm_movemask_epi8(bytes))) << (16 * i);
    }
    return ~zeros;
#else
    std::uint64_t mask = 0;
    for (int i = 0; i < 64; ++i)
        mask |= std::uint64_t(block[i] != 0) << i;
    return mask;
#endif
}

// A symbol's code followed by the value's low `category` bits.
[[gnu::always_inline]] inline bool writeCoded(const HuffmanCodes& codes, std::uint8_t symbol, std::uint32_t bits, int category, BitWriter& writer)
{
    const int length = codes.length[symbol];
    if (length == 0)
        return false;
    const std::uint32_t value = category == 0 ? 0 : bits & ((1u << category) - 1);
    writer.write((std::uint32_t(codes.code[symbol]) << category) | value, length + category);
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

bool encodeBlock(const QuantisedBlock& zigzag, ComponentCoder& component, BitWriter& writer)
{
    const std::int32_t difference = zigzag[0] - component.previousDc;
    component.previousDc = zigzag[0];
    const int dcCategory = categoryOf(difference);
    if (dcCategory > kMaxDcCategory ||
        !writeCoded(component.dc, std::uint8_t(dcCategory), magnitudeBits(difference), dcCategory, writer))
        return false;

    std::uint64_t remaining = nonZeroCoefficients(zigzag) & ~std::uint64_t(1);
    int previous = 0;
    while (remaining != 0) {
        const int position = std::countr_zero(remaining);
        remaining &= remaining - 1;
        int run = position - previous - 1;
        previous = position;
        const std::int32_t value = zigzag[std::size_t(position)];
        const int category = categoryOf(value);
        if (category > kMaxAcCategory)
            return false;
        for (; run >= 16; run -= 16) {
            if (!writeCoded(component.ac, kZeroRun16, 0, 0, writer))
                return false;
        }
        if (!writeCoded(component.ac, std::uint8_t((run << 4) | category), magnitudeBits(value), category, writer))
            return false;
    }
    return previous == 63 || writeCoded(component.ac, kEndOfBlock, 0, 0, writer);
}

}  // namespace qm::device::imaging
