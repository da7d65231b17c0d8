// Downloaded pictures into the caller's picture buffer, by the rules of each
// camera model.
#include "device/imaging/picture_bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "common/config/kvb_config.h"
#include "device/imaging/dib.h"
#include "device/imaging/model_rules.h"
#include "tests/device/imaging/test_pictures.h"
#include "tests/support/windows_dir.h"

namespace qm::device::imaging {
namespace {

using testing::RgbPicture;
using Bytes = std::vector<std::uint8_t>;

PictureInfo pictureInfo(std::uint8_t resolutionCode)
{
    PictureInfo info;
    info.bytes[PictureInfo::kResolutionCode] = resolutionCode;
    return info;
}

// A buffer sized as the caller sizes it, with the rotation code in front.
Bytes pictureBuffer(std::size_t width, std::size_t height, std::uint8_t rotationCode)
{
    Bytes buffer(dibSize(width, height), 0xCD);
    buffer[0] = rotationCode;
    return buffer;
}

bool coloursClose(const std::uint8_t* a, const std::uint8_t* b, int tolerance = 12)
{
    for (int c = 0; c < 3; ++c)
        if (std::abs(int(a[c]) - int(b[c])) > tolerance)
            return false;
    return true;
}

class PictureToBitmap : public ::testing::Test {
protected:
    test::WindowsDir windows_;  // a private KVB.ini
    RgbPicture vga_ = testing::makeScene(640, 480);
    Bytes vgaJpeg_ = testing::encodeJpeg(vga_);
};

TEST_F(PictureToBitmap, EveryModelDecodesItsPictureIntoA24BitBitmap)
{
    for (std::uint8_t model : {kModel16, kModel17, kModel18, kModel20, kModel22, kModel32}) {
        Bytes buffer = pictureBuffer(640, 480, 0);
        ASSERT_TRUE(pictureToBitmap(vgaJpeg_, model, pictureInfo(0), buffer)) << int(model);
        const auto picture = testing::fromDib(buffer);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->width, 640);
        EXPECT_EQ(picture->height, 480);
        // Sharpening changes the detail but not the picture.
        EXPECT_GE(testing::psnr(*picture, vga_), sharpensPictures(model) ? 25.0 : 35.0) << int(model);
    }
}

TEST_F(PictureToBitmap, Models16And18AreSharpenedByTheConfiguredFactor)
{
    const Bytes stripes = testing::encodeJpeg(testing::stripesPicture(640, 480));
    auto detailOf = [&](std::uint8_t model) {
        Bytes buffer = pictureBuffer(640, 480, 0);
        EXPECT_TRUE(pictureToBitmap(stripes, model, pictureInfo(0), buffer));
        return testing::meanGradient(*testing::fromDib(buffer));
    };
    const double plain = detailOf(kModel17);
    EXPECT_GT(detailOf(kModel16), plain * 1.1);
    EXPECT_GT(detailOf(kModel18), plain * 1.1);
    EXPECT_EQ(detailOf(kModel22), plain);

    ASSERT_TRUE(config::writeInt("Image Quality", "Sharpen Factor", 200));
    const double gentle = detailOf(kModel16);
    EXPECT_GT(gentle, plain);
    ASSERT_TRUE(config::writeInt("Image Quality", "Sharpen Factor", 1000));
    EXPECT_GT(detailOf(kModel16), gentle);
    ASSERT_TRUE(config::writeInt("Image Quality", "Sharpen Factor", 0));
    EXPECT_EQ(detailOf(kModel16), plain);
}

TEST_F(PictureToBitmap, ResolutionCodeOneOfModels18And32IsShownAt1024By768AndTurnsToPortrait)
{
    // These models store resolution code 1 at 640 x 480.
    for (std::uint8_t model : {kModel18, kModel32}) {
        Bytes landscape = pictureBuffer(1024, 768, 0);
        ASSERT_TRUE(pictureToBitmap(vgaJpeg_, model, pictureInfo(1), landscape));
        auto picture = testing::fromDib(landscape);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->width, 1024);
        EXPECT_EQ(picture->height, 768);

        Bytes portrait = pictureBuffer(768, 1024, 1);
        ASSERT_TRUE(pictureToBitmap(vgaJpeg_, model, pictureInfo(1), portrait));
        picture = testing::fromDib(portrait);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->width, 768);
        EXPECT_EQ(picture->height, 1024);
        // A quarter turn to the right brings the bottom-left corner to the
        // top left and the top-left corner to the top right.
        EXPECT_TRUE(coloursClose(picture->at(2, 2), vga_.at(1, 478), 20)) << int(model);
        EXPECT_TRUE(coloursClose(picture->at(765, 2), vga_.at(1, 1), 20)) << int(model);
    }

    // Other resolution codes and other models keep the picture's own size.
    Bytes native = pictureBuffer(640, 480, 0);
    ASSERT_TRUE(pictureToBitmap(vgaJpeg_, kModel18, pictureInfo(2), native));
    EXPECT_EQ(testing::fromDib(native)->width, 640);
    ASSERT_TRUE(pictureToBitmap(vgaJpeg_, kModel20, pictureInfo(1), native));
    EXPECT_EQ(testing::fromDib(native)->width, 640);
}

TEST_F(PictureToBitmap, RotationCodesTurnByQuarterTurnsToTheRight)
{
    struct Case {
        std::uint8_t code;
        int width, height;
        int x, y;  // where the scene's top-left corner ends up
    };
    for (const Case& c : {Case{0, 640, 480, 0, 0}, Case{1, 480, 640, 479, 0}, Case{2, 640, 480, 639, 479},
                          Case{3, 480, 640, 0, 639}, Case{4, 640, 480, 0, 0}, Case{0xFF, 640, 480, 0, 0}}) {
        Bytes buffer = pictureBuffer(std::size_t(c.width), std::size_t(c.height), c.code);
        ASSERT_TRUE(pictureToBitmap(vgaJpeg_, kModel17, pictureInfo(0), buffer)) << int(c.code);
        const auto picture = testing::fromDib(buffer);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->width, c.width) << int(c.code);
        EXPECT_EQ(picture->height, c.height) << int(c.code);
        EXPECT_TRUE(coloursClose(picture->at(c.x, c.y), vga_.at(0, 0))) << int(c.code);
    }
}

TEST_F(PictureToBitmap, APictureLargerThanTheBufferIsRefusedAndNothingIsWritten)
{
    // Odd widths pad their rows: a buffer of width x 3 bytes per row is short.
    const Bytes odd = testing::encodeJpeg(testing::makeScene(641, 480));
    Bytes unpadded(40 + 641 * 3 * 480 + 64, 0xCD);
    unpadded[0] = 0;
    const Bytes before = unpadded;
    EXPECT_FALSE(pictureToBitmap(odd, kModel17, pictureInfo(0), std::span(unpadded).first(40 + 641 * 3 * 480)));
    EXPECT_EQ(unpadded, before);

    // A buffer sized for another picture size.
    Bytes small = pictureBuffer(320, 240, 0);
    const Bytes smallBefore = small;
    EXPECT_FALSE(pictureToBitmap(vgaJpeg_, kModel17, pictureInfo(0), small));
    EXPECT_EQ(small, smallBefore);

    // The exact size is enough, and nothing beyond the bitmap is written.
    Bytes exact(dibSize(641, 480) + 64, 0xCD);
    exact[0] = 0;
    ASSERT_TRUE(pictureToBitmap(odd, kModel17, pictureInfo(0), std::span(exact).first(dibSize(641, 480))));
    EXPECT_TRUE(std::all_of(exact.end() - 64, exact.end(), [](std::uint8_t b) { return b == 0xCD; }));

    EXPECT_FALSE(pictureToBitmap(vgaJpeg_, kModel17, pictureInfo(0), std::span<std::uint8_t>()));
}

TEST_F(PictureToBitmap, DataThatIsNoPictureFailsAndLeavesTheBufferAlone)
{
    Bytes buffer = pictureBuffer(640, 480, 0);
    const Bytes before = buffer;
    EXPECT_FALSE(pictureToBitmap(Bytes(4096, 0), kModel17, pictureInfo(0), buffer));
    EXPECT_FALSE(pictureToBitmap(std::span(vgaJpeg_).first(300), kModel17, pictureInfo(0), buffer));
    EXPECT_FALSE(pictureToBitmap({}, kModel17, pictureInfo(0), buffer));
    EXPECT_EQ(buffer, before);
}

TEST(ModelRules, ThumbnailAndDownloadSizes)
{
    PictureInfo info;
    EXPECT_EQ(thumbnailDataSize(kModel16, info), kRawThumbnailSize);
    EXPECT_EQ(thumbnailDataSize(kModel22, info), kRawThumbnailSize);
    EXPECT_EQ(thumbnailDataSize(kModel32, info), kRawThumbnailSize);
    EXPECT_EQ(thumbnailDataSize(kModel17, info), std::nullopt);  // announces nothing
    info.bytes[PictureInfo::kThumbnailSize] = 0x34;
    info.bytes[PictureInfo::kThumbnailSize + 1] = 0x12;
    EXPECT_EQ(thumbnailDataSize(kModel18, info), 0x1234u);
    info.bytes[PictureInfo::kThumbnailSize + 3] = 0x80;
    EXPECT_EQ(thumbnailDataSize(kModel20, info), std::nullopt);  // absurd
    EXPECT_EQ(pictureDataSize(info), std::nullopt);
    info.bytes[PictureInfo::kPictureSize + 2] = 0x08;  // 512 KiB
    EXPECT_EQ(pictureDataSize(info), 0x80000u);
    info.bytes[PictureInfo::kPictureSize + 3] = 0x10;  // 256 MiB and more
    EXPECT_EQ(pictureDataSize(info), std::nullopt);
    EXPECT_EQ(downloadBlockSize(1), 512u);
    EXPECT_EQ(downloadBlockSize(512), 512u);
    EXPECT_EQ(downloadBlockSize(513), 1024u);
    EXPECT_EQ(downloadBlockSize(0xFFFFFFFF), 0x100000000u);
    EXPECT_TRUE(acceptsUploads(kModel16));
    EXPECT_FALSE(acceptsUploads(kModel17));
}

}  // namespace
}  // namespace qm::device::imaging
