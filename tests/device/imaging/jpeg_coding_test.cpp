// The encoder's building blocks: the integer DCT, quantisation, the Huffman
// codes and the bit packing.
#include <gtest/gtest.h>

#include <vector>

#include "device/imaging/jpeg/byte_sink.h"
#include "device/imaging/jpeg/forward_dct.h"
#include "device/imaging/jpeg/huffman_coder.h"
#include "device/imaging/jpeg/jpeg_tables.h"

namespace qm::device::imaging {
namespace {

TEST(ForwardDct, MatrixIsTheCutScaledCosineTable)
{
    const DctMatrix& c = dctMatrix();
    for (int n = 0; n < 8; ++n)
        EXPECT_EQ(c[0][n], 362);
    EXPECT_EQ(c[1][0], 502);
    EXPECT_EQ(c[1][1], 425);
    EXPECT_EQ(c[1][2], 284);
    EXPECT_EQ(c[1][3], 99);
    // Even rows are symmetric, odd rows antisymmetric.
    for (int k = 0; k < 8; ++k)
        for (int n = 0; n < 8; ++n)
            EXPECT_EQ(c[k][7 - n], (k % 2 == 0 ? 1 : -1) * c[k][n]) << k << "," << n;
}

TEST(ForwardDct, FlatBlockHasOnlyADcCoefficientAndDetailLandsInTheRightPlace)
{
    std::vector<std::int16_t> samples(8 * 10, 100);  // stride 10: only 8 of each row belong to the block
    CoefficientBlock coefficients{};
    forwardDct(samples.data(), 10, coefficients);
    // (8 x 100 x 362 >> 10) = 282, then (8 x 282 x 362 >> 10) = 797.
    EXPECT_EQ(coefficients[0], 797);
    for (int i = 1; i < 64; ++i)
        EXPECT_EQ(coefficients[i], 0) << i;

    // Brightness falling from left to right is horizontal frequency 1: the
    // first row of the natural order, not the first column.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            samples[std::size_t(y) * 10 + x] = std::int16_t(70 - 20 * x);
    forwardDct(samples.data(), 10, coefficients);
    EXPECT_GT(coefficients[1], 300);
    EXPECT_EQ(coefficients[8], 0);
}

TEST(Quantisation, RoundsThroughTheScaledQuotientAndReordersIntoZigzag)
{
    CoefficientBlock natural{};
    natural[0] = 797;
    natural[8] = -2;   // row 1, column 0: zigzag position 2
    natural[1] = -1;   // zigzag position 1
    natural[63] = 100;
    CoefficientBlock zigzag{};
    quantiseZigzag(natural, kLuminanceQuantisation, zigzag);
    EXPECT_EQ(zigzag[0], 266);  // (797 x 1024 / 3 + 512) >> 10
    EXPECT_EQ(zigzag[1], 0);    // (-1024 / 2 + 512) >> 10
    EXPECT_EQ(zigzag[2], -1);   // (-2048 / 2 + 512) >> 10
    EXPECT_EQ(zigzag[63], (100 * 1024 / kLuminanceQuantisation[63] + 512) >> 10);
    EXPECT_EQ(kZigzagToNatural[2], 8);
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

std::vector<std::uint8_t> codedBlock(const CoefficientBlock& zigzag, bool* ok = nullptr, std::int32_t previousDc = 0)
{
    static const HuffmanCodes dc = HuffmanCodes::from(kDcLuminanceHuffman);
    static const HuffmanCodes ac = HuffmanCodes::from(kAcLuminanceHuffman);
    std::vector<std::uint8_t> buffer(256, 0xEE);
    ByteSink sink(buffer);
    BitWriter writer(sink);
    ComponentCoder coder{dc, ac, previousDc};
    const bool coded = encodeBlock(zigzag, coder, writer);
    writer.flush();
    if (ok != nullptr)
        *ok = coded;
    buffer.resize(sink.size());
    return buffer;
}

TEST(HuffmanCoder, CodesDcDifferencesAndEndOfBlock)
{
    CoefficientBlock block{};
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
    CoefficientBlock block{};
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
    std::vector<std::uint8_t> buffer(8, 0xEE);
    ByteSink sink(buffer);
    BitWriter writer(sink);
    writer.write(0xFF, 8);
    writer.write(0xFFF, 12);
    writer.write(0b1, 1);
    writer.flush();
    EXPECT_EQ(sink.size(), 5u);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 5),
              (std::vector<std::uint8_t>{0xFF, 0x00, 0xFF, 0x00, 0xF8}));
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
