// Thumbnails of both kinds into the 80 x 60 bitmap.
#include "device/imaging/thumbnail.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "device/imaging/dib.h"
#include "device/imaging/model_rules.h"
#include "tests/device/imaging/test_pictures.h"

namespace qm::device::imaging {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Thumbnail, RawModelsUseTheRawFormAndTheOthersAJpeg)
{
    const Bytes raw(kRawThumbnailSize, 0);
    for (std::uint8_t model : {kModel16, kModel22, kModel32}) {
        Bytes dib(kThumbnailDibSize);
        EXPECT_EQ(thumbnailToDib(model, raw, dib), ThumbnailResult::Converted) << int(model);
        EXPECT_EQ(dib[kDibHeaderSize], 159);
    }
    // Raw bytes are no JPEG for the other models.
    Bytes dib(kThumbnailDibSize);
    EXPECT_EQ(thumbnailToDib(kModel17, raw, dib), ThumbnailResult::Placeholder);
}

TEST(Thumbnail, JpegThumbnailIsScaledTo80By60)
{
    // Four quadrants of distinct colours survive the scaling.
    testing::RgbPicture picture = testing::uniformPicture(160, 120, 200, 30, 30);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) {
            std::uint8_t* p = picture.rgb.data() + (std::size_t(y) * 160 + x) * 3;
            if (x >= 80)
                p[0] = 20, p[1] = 200, p[2] = 40;
            if (y >= 60)
                p[2] = 220;
        }
    for (bool grey : {false, true}) {
        const Bytes jpeg = testing::encodeJpeg(picture, 90, grey);
        Bytes dib(kThumbnailDibSize + 16, 0xEE);
        ASSERT_EQ(thumbnailToDib(kModel18, jpeg, dib), ThumbnailResult::Converted);
        EXPECT_TRUE(std::all_of(dib.end() - 16, dib.end(), [](std::uint8_t b) { return b == 0xEE; }));
        const auto thumbnail = testing::fromDib(dib);
        ASSERT_TRUE(thumbnail);
        ASSERT_EQ(thumbnail->width, 80);
        ASSERT_EQ(thumbnail->height, 60);
        if (grey)
            continue;
        EXPECT_GT(thumbnail->at(10, 10)[0], 170);  // red top left
        EXPECT_GT(thumbnail->at(70, 10)[1], 170);  // green top right
        EXPECT_GT(thumbnail->at(10, 50)[2], 190);  // blue added at the bottom
        EXPECT_LT(thumbnail->at(70, 10)[2], 70);
    }
}

TEST(Thumbnail, AnUndecodableJpegGivesAPlainGreyThumbnailNotGarbage)
{
    Bytes dib(kThumbnailDibSize, 0x11);
    EXPECT_EQ(thumbnailToDib(kModel20, Bytes(2000, 0x5A), dib), ThumbnailResult::Placeholder);
    const auto thumbnail = testing::fromDib(dib);
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->width, 80);
    EXPECT_EQ(thumbnail->height, 60);
    EXPECT_TRUE(std::all_of(dib.begin() + kDibHeaderSize, dib.end(), [](std::uint8_t b) { return b == 128; }));
}

TEST(Thumbnail, NothingIsWrittenIntoAShortBufferOrFromShortRawData)
{
    Bytes dib(kThumbnailDibSize, 0x11);
    const Bytes before = dib;
    const auto shortBuffer = std::span(dib).first(kThumbnailDibSize - 1);
    EXPECT_EQ(thumbnailToDib(kModel16, Bytes(kRawThumbnailSize, 0), shortBuffer), ThumbnailResult::Failed);
    EXPECT_EQ(thumbnailToDib(kModel17, testing::encodeJpeg(testing::makeScene(160, 120)), shortBuffer),
              ThumbnailResult::Failed);
    EXPECT_EQ(thumbnailToDib(kModel17, Bytes(10, 0), shortBuffer), ThumbnailResult::Failed);
    EXPECT_EQ(thumbnailToDib(kModel22, Bytes(kRawThumbnailSize - 1, 0), dib), ThumbnailResult::Failed);
    EXPECT_FALSE(writePlaceholderThumbnail(shortBuffer));
    EXPECT_EQ(dib, before);
}

}  // namespace
}  // namespace qm::device::imaging
