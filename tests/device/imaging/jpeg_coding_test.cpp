// The encoder's building blocks: the integer DCT, quantisation, the Huffman
// codes and the bit packing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string_view>
#include <vector>

#include "device/imaging/jpeg/byte_sink.h"
#include "device/imaging/jpeg/forward_dct.h"
#include "device/imaging/jpeg/huffman_coder.h"
#include "device/imaging/jpeg/jpeg_tables.h"
#include "device/imaging/simd/code_path.h"

namespace qm::device::imaging {
namespace {

TEST(ForwardDct, MatrixIsTheCutScaledCosineTable)
{
    for (int k = 0; k < 8; ++k) {
        const double ck = k == 0 ? 1.0 / (2.0 * std::numbers::sqrt2) : 0.5;
        for (int n = 0; n < 8; ++n)
            EXPECT_EQ(kDctMatrix[k][n], std::int32_t(1024.0 * ck * std::cos((2 * n + 1) * k * std::numbers::pi / 16.0)))
                << k << "," << n;
    }
    EXPECT_EQ(kDctMatrix[1][0], 502);
    EXPECT_EQ(kDctMatrix[1][1], 425);
    EXPECT_EQ(kDctMatrix[1][2], 284);
    EXPECT_EQ(kDctMatrix[1][3], 99);
    // The fast forms rely on even rows being symmetric and odd rows
    // antisymmetric.
    for (int k = 0; k < 8; ++k)
        for (int n = 0; n < 8; ++n)
            EXPECT_EQ(kDctMatrix[k][7 - n], (k % 2 == 0 ? 1 : -1) * kDctMatrix[k][n]) << k << "," << n;
}

// The definition: a pass along the rows, then one down the columns, each
// sum shifted right by 10, then quantised into zigzag order.
QuantisedBlock definedTransform(const std::int16_t* samples, std::size_t stride, const QuantisationTable& table)
{
    std::int32_t rows[8][8], natural[64];
    for (int y = 0; y < 8; ++y)
        for (int k = 0; k < 8; ++k) {
            std::int32_t sum = 0;
            for (int n = 0; n < 8; ++n)
                sum += kDctMatrix[k][n] * samples[std::size_t(y) * stride + std::size_t(n)];
            rows[y][k] = sum >> 10;
        }
    for (int x = 0; x < 8; ++x)
        for (int k = 0; k < 8; ++k) {
            std::int32_t sum = 0;
            for (int n = 0; n < 8; ++n)
                sum += kDctMatrix[k][n] * rows[n][x];
            natural[k * 8 + x] = sum >> 10;
        }
    QuantisedBlock zigzag{};
    for (std::size_t i = 0; i < 64; ++i)
        zigzag[i] = std::int16_t(quantise(natural[kZigzagToNatural[i]], table[i]));
    return zigzag;
}

using TransformFunction = void (*)(const std::int16_t*, std::size_t, std::size_t, const QuantisationDivisors&,
                                   QuantisedBlock*);

void expectTransformsAsDefined(const std::vector<std::int16_t>& samples, std::size_t stride, std::size_t blocks,
                               const char* what)
{
    for (const QuantisationTable* table : {&kLuminanceQuantisation, &kChrominanceQuantisation}) {
        const QuantisationDivisors divisors = QuantisationDivisors::from(*table);
        for (auto [name, transform] : {std::pair<const char*, TransformFunction>{"scalar", transformBlocksScalar},
                                       {"avx2", transformBlocksAvx2}}) {
            if (!codePathSupported(std::string_view(name) == "avx2" ? CodePath::Avx2 : CodePath::Scalar))
                continue;
            std::vector<QuantisedBlock> out(blocks);
            transform(samples.data(), stride, blocks, divisors, out.data());
            for (std::size_t b = 0; b < blocks; ++b)
                ASSERT_EQ(out[b], definedTransform(samples.data() + 8 * b, stride, *table))
                    << what << ", " << name << ", block " << b;
        }
    }
}

TEST(ForwardDct, EveryPathTransformsAndQuantisesAsDefined)
{
    // Seven blocks side by side (an odd count leaves one for the scalar
    // remainder of the vector path), rows 60 samples apart.
    constexpr std::size_t kBlocks = 7, kStride = 60;
    std::vector<std::int16_t> samples(kStride * 8);
    std::uint32_t state = 17;
    for (int round = 0; round < 40; ++round) {
        for (auto& sample : samples) {
            state = state * 1664525u + 1013904223u;
            sample = std::int16_t(int(state >> 24) - 128);
        }
        expectTransformsAsDefined(samples, kStride, kBlocks, "noise");
    }
    // The extremes: flat blocks at both ends, and the patterns that drive
    // single coefficients to their largest magnitudes.
    for (std::size_t b = 0; b < kBlocks; ++b)
        for (std::size_t y = 0; y < 8; ++y)
            for (std::size_t x = 0; x < 8; ++x) {
                const bool high = b == 0   ? true
                                  : b == 1 ? false
                                  : b == 2 ? x < 4
                                  : b == 3 ? (x + y) % 2 == 0
                                  : b == 4 ? kDctMatrix[7][x] * kDctMatrix[7][y] > 0
                                  : b == 5 ? kDctMatrix[1][x] * kDctMatrix[3][y] > 0
                                           : y < 4;
                samples[y * kStride + 8 * b + x] = high ? 127 : -128;
            }
    expectTransformsAsDefined(samples, kStride, kBlocks, "extremes");

    // A flat block of 100: (8 x 100 x 362 >> 10) = 282, (8 x 282 x 362 >> 10)
    // = 797, quantised by 3 to 266; nothing else.
    std::vector<std::int16_t> flat(8 * 8, 100);
    QuantisedBlock out{};
    transformBlocksScalar(flat.data(), 8, 1, QuantisationDivisors::from(kLuminanceQuantisation), &out);
    EXPECT_EQ(out[0], 266);
    EXPECT_TRUE(std::all_of(out.begin() + 1, out.end(), [](std::int16_t c) { return c == 0; }));
}

TEST(Quantisation, RoundsThroughTheScaledQuotientCutTowardZero)
{
    EXPECT_EQ(quantise(797, 3), 266);  // (797 x 1024 / 3 + 512) >> 10
    EXPECT_EQ(quantise(-1, 2), 0);     // (-1024 / 2 + 512) >> 10
    EXPECT_EQ(quantise(-2, 2), -1);    // (-2048 / 2 + 512) >> 10
    EXPECT_EQ(kZigzagToNatural[2], 8);
    // The reciprocal form equals the definition over every coefficient the
    // transform can produce, for every divisor of both tables.
    for (const QuantisationTable* table : {&kLuminanceQuantisation, &kChrominanceQuantisation}) {
        const QuantisationDivisors divisors = QuantisationDivisors::from(*table);
        for (std::size_t i = 0; i < 64; ++i) {
            const std::size_t natural = kZigzagToNatural[i];
            for (std::int32_t c = -1024; c <= 1024; ++c)
                ASSERT_EQ(divisors.quantise(c, natural), quantise(c, (*table)[i])) << c << " / " << int((*table)[i]);
        }
    }
}

TEST(JpegTables, QualityNinetyValues)
{
    const std::uint8_t luminanceStart[] = {3, 2, 2, 3, 2, 2, 3, 3};
    for (std::size_t i = 0; i < std::size(luminanceStart); ++i)
        EXPECT_EQ(kLuminanceQuantisation[i], luminanceStart[i]) << i;
    const std::uint8_t chrominanceStart[] = {3, 4, 4, 5, 4, 5, 9, 5, 5, 9, 20, 13, 11, 13};
    for (std::size_t i = 0; i < 64; ++i)
        EXPECT_EQ(kChrominanceQuantisation[i], i < std::size(chrominanceStart) ? chrominanceStart[i] : 20) << i;
}

TEST(HuffmanCodes, StandardCodesComeOutOfTheTableCounts)
{
    const HuffmanCodes dc = HuffmanCodes::from(kDcLuminanceHuffman);
    EXPECT_EQ(dc.length[0], 2);
    EXPECT_EQ(dc.code[0], 0b00);
    EXPECT_EQ(dc.length[3], 3);
    EXPECT_EQ(dc.code[3], 0b100);
    EXPECT_EQ(dc.length[11], 9);
    EXPECT_EQ(dc.code[11], 0b111111110);
    const HuffmanCodes ac = HuffmanCodes::from(kAcLuminanceHuffman);
    EXPECT_EQ(ac.length[0x00], 4);  // end of block
    EXPECT_EQ(ac.code[0x00], 0b1010);
    EXPECT_EQ(ac.length[0xF0], 11);  // sixteen zeros
    EXPECT_EQ(ac.code[0xF0], 0b11111111001);
    EXPECT_EQ(ac.length[0x0B], 0);  // size 11 does not exist
    const HuffmanCodes acChroma = HuffmanCodes::from(kAcChrominanceHuffman);
    EXPECT_EQ(acChroma.length[0x00], 2);
    EXPECT_EQ(acChroma.code[0x00], 0b00);
}

std::vector<std::uint8_t> codedBlock(const QuantisedBlock& zigzag, bool* ok = nullptr, std::int32_t previousDc = 0)
{
    static const HuffmanCodes dc = HuffmanCodes::from(kDcLuminanceHuffman);
    static const HuffmanCodes ac = HuffmanCodes::from(kAcLuminanceHuffman);
    std::vector<std::uint8_t> buffer(512, 0xEE);
    BitWriter writer(buffer.data(), buffer.data() + buffer.size());
    ComponentCoder coder{dc, ac, previousDc};
    const bool coded = encodeBlock(zigzag, coder, writer);
    writer.flush();
    if (ok != nullptr)
        *ok = coded;
    buffer.resize(std::size_t(writer.position() - buffer.data()));
    return buffer;
}

TEST(HuffmanCoder, CodesDcDifferencesAndEndOfBlock)
{
    QuantisedBlock block{};
    block[0] = 5;  // category 3 "100", bits 101, then EOB 1010, padded with 0
    EXPECT_EQ(codedBlock(block), (std::vector<std::uint8_t>{0x96, 0x80}));
    // From a predictor of 8 the difference is -3: category 2 "011", bits
    // -3 - 1 = ...00 in two bits.
    EXPECT_EQ(codedBlock(block, nullptr, 8), (std::vector<std::uint8_t>{0b0110'0101, 0b0000'0000}));
    // A block whose last coefficient is set needs no end of block.
    block[63] = 1;
    const auto full = codedBlock(block);
    EXPECT_EQ(full.front(), 0x97);  // "100 101 1" then ZRL codes follow
}

TEST(HuffmanCoder, RefusesAcMagnitudesBaselineCannotCarry)
{
    QuantisedBlock block{};
    bool ok = false;
    block[7] = 1023;
    codedBlock(block, &ok);
    EXPECT_TRUE(ok);
    block[7] = 1024;
    codedBlock(block, &ok);
    EXPECT_FALSE(ok);
    block[7] = -1024;
    codedBlock(block, &ok);
    EXPECT_FALSE(ok);
    block[7] = 0;
    block[0] = 2048;  // a DC difference beyond category 11
    codedBlock(block, &ok);
    EXPECT_FALSE(ok);
}

TEST(BitWriter, StuffsAZeroAfterEveryFfAndPadsWithZeroBits)
{
    std::vector<std::uint8_t> buffer(16, 0xEE);
    BitWriter writer(buffer.data(), buffer.data() + buffer.size());
    writer.write(0xFF, 8);
    writer.write(0xFFF, 12);
    writer.write(0b1, 1);
    writer.flush();
    EXPECT_EQ(writer.position() - buffer.data(), 5);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 5),
              (std::vector<std::uint8_t>{0xFF, 0x00, 0xFF, 0x00, 0xF8}));

    // Whole words go out at once, with or without an FF among their bytes.
    BitWriter words(buffer.data(), buffer.data() + buffer.size());
    words.write(0x12345678, 32);
    words.write(0xABFFCDEF, 32);
    words.write(0x3, 2);
    words.flush();
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.data(), words.position()),
              (std::vector<std::uint8_t>{0x12, 0x34, 0x56, 0x78, 0xAB, 0xFF, 0x00, 0xCD, 0xEF, 0xC0}));
}

TEST(BitWriter, NeverWritesPastItsEndAndSaysSo)
{
    for (std::size_t capacity = 0; capacity <= 26; ++capacity) {
        std::vector<std::uint8_t> buffer(capacity + 8, 0xEE);
        BitWriter writer(buffer.data(), buffer.data() + capacity);
        for (int i = 0; i < 3; ++i)
            writer.write(0xFFFFFFFF, 32);  // each word takes 8 bytes with stuffing
        writer.flush();
        EXPECT_EQ(writer.overflowed(), capacity < 24u) << capacity;
        EXPECT_EQ(writer.position() - buffer.data(), std::ptrdiff_t(std::min<std::size_t>(capacity, 24))) << capacity;
        EXPECT_TRUE(std::all_of(buffer.begin() + std::ptrdiff_t(std::max<std::size_t>(capacity, 24)), buffer.end(),
                                [](std::uint8_t b) { return b == 0xEE; }))
            << capacity;
    }
}

TEST(ByteSink, NeverWritesPastItsBufferAndSaysSo)
{
    std::vector<std::uint8_t> memory(6, 0xEE);
    ByteSink sink(std::span<std::uint8_t>(memory).first(4));
    sink.putBe16(0x1234);
    EXPECT_FALSE(sink.overflowed());
    sink.put(std::vector<std::uint8_t>{1, 2, 3});
    EXPECT_TRUE(sink.overflowed());
    EXPECT_EQ(sink.size(), 4u);
    EXPECT_EQ(memory, (std::vector<std::uint8_t>{0x12, 0x34, 1, 2, 0xEE, 0xEE}));
}

}  // namespace
}  // namespace qm::device::imaging
