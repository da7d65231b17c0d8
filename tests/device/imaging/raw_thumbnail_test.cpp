// The camera's raw YCbCr thumbnails into the 80 x 60 bitmap.
#include "device/imaging/raw_thumbnail.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/system/byte_order.h"

namespace qm::device::imaging {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::uint8_t* pixelOf(const Bytes& dib, int x, int rowFromTop)
{
    return dib.data() + kDibHeaderSize + std::size_t(kThumbnailHeight - 1 - rowFromTop) * 240 + std::size_t(x) * 3;
}

TEST(ThumbnailGamma, LiftsMidTonesAndKeepsTheEnds)
{
    const auto& gamma = thumbnailGammaTable();
    EXPECT_EQ(gamma[0], 0);
    EXPECT_EQ(gamma[128], 159);
    EXPECT_EQ(gamma[255], 255);
    EXPECT_TRUE(std::is_sorted(gamma.begin(), gamma.end()));
}

TEST(RawThumbnail, AllZeroBytesAreUniformGreyLiftedByTheGammaCurve)
{
    const Bytes raw(kRawThumbnailSize, 0);
    Bytes dib(kThumbnailDibSize, 0xEE);
    ASSERT_TRUE(rawThumbnailToDib(raw, dib));
    // Grey 128 before the curve, 159 after.
    EXPECT_TRUE(std::all_of(dib.begin() + kDibHeaderSize, dib.end(), [](std::uint8_t b) { return b == 159; }));
    const std::uint8_t* h = dib.data();
    EXPECT_EQ(sys::readLe32(h), 40u);
    EXPECT_EQ(sys::readLe32(h + 4), 80u);
    EXPECT_EQ(sys::readLe32(h + 8), 60u);
    EXPECT_EQ(sys::readLe16(h + 12), 1);
    EXPECT_EQ(sys::readLe16(h + 14), 24);
    EXPECT_EQ(sys::readLe32(h + 16), 0u);
    EXPECT_EQ(sys::readLe32(h + 20), 0u);
    EXPECT_EQ(sys::readLe32(h + 24), 3000u);
    EXPECT_EQ(sys::readLe32(h + 28), 3000u);
    EXPECT_EQ(sys::readLe32(h + 32), 0u);
    EXPECT_EQ(sys::readLe32(h + 36), 0u);
}

TEST(RawThumbnail, ConvertsEachPairWithItsSharedChromaAndPutsTheTopRowLast)
{
    Bytes raw(kRawThumbnailSize, 0);
    // Top row, first pair: Y0 = 178, Cb = -20, Y1 = 255, Cr = 30.
    raw[0] = 50;
    raw[1] = std::uint8_t(-20);
    raw[2] = 127;
    raw[3] = 30;
    Bytes dib(kThumbnailDibSize);
    ASSERT_TRUE(rawThumbnailToDib(raw, dib));
    const auto& gamma = thumbnailGammaTable();
    const std::uint8_t* left = pixelOf(dib, 0, 0);
    EXPECT_EQ(left[0], gamma[142]);  // B = 178 - 35.44
    EXPECT_EQ(left[1], gamma[163]);  // G = 178 + 6.88 - 21.42
    EXPECT_EQ(left[2], gamma[220]);  // R = 178 + 42.06
    const std::uint8_t* right = pixelOf(dib, 1, 0);
    EXPECT_EQ(right[0], gamma[219]);  // B = 255 - 35.44
    EXPECT_EQ(right[1], gamma[240]);
    EXPECT_EQ(right[2], 255);  // clamped
    // The top row is the last row of the bitmap; the one below is grey.
    EXPECT_EQ(dib.data() + kDibHeaderSize + 59 * 240, left);
    EXPECT_EQ(pixelOf(dib, 0, 1)[0], 159);
    EXPECT_EQ(pixelOf(dib, 2, 0)[0], 159);
}

TEST(RawThumbnail, RefusesShortDataOrASmallBitmapWithoutTouchingIt)
{
    Bytes dib(kThumbnailDibSize + 8, 0xEE);
    EXPECT_FALSE(rawThumbnailToDib(Bytes(kRawThumbnailSize - 1, 0), dib));
    EXPECT_FALSE(rawThumbnailToDib(Bytes(kRawThumbnailSize, 0), std::span(dib).first(kThumbnailDibSize - 1)));
    EXPECT_TRUE(std::all_of(dib.begin(), dib.end(), [](std::uint8_t b) { return b == 0xEE; }));
    // Only the bitmap's own bytes are written.
    ASSERT_TRUE(rawThumbnailToDib(Bytes(kRawThumbnailSize, 0), dib));
    EXPECT_TRUE(std::all_of(dib.end() - 8, dib.end(), [](std::uint8_t b) { return b == 0xEE; }));
}

}  // namespace
}  // namespace qm::device::imaging
