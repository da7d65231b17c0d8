// An image file into the upload JPEG.
#include "device/imaging/upload_image.h"

#include <gtest/gtest.h>

#include <vector>

#include "device/imaging/jpeg/upload_jpeg.h"
#include "tests/device/imaging/test_pictures.h"
#include "tests/support/temp_dir.h"

namespace qm::device::imaging {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(UploadImage, AnyImageFileBecomesThe640By480UploadJpeg)
{
    test::TempDir dir;
    const testing::RgbPicture vga = testing::makeScene(640, 480);
    testing::writeFile(dir.file("vga.bmp"), testing::toBmpFile(vga));
    testing::writeFile(dir.file("large.jpg"), testing::encodeJpeg(testing::makeScene(1000, 700)));

    const auto same = prepareUpload(dir.file("vga.bmp"));
    ASSERT_TRUE(same);
    ASSERT_GT(same->size(), kJfifStartSize + kRawThumbnailSegmentSize);
    EXPECT_EQ(same->bytes()[0], 0xFF);
    EXPECT_EQ(same->bytes()[1], 0xD8);
    const auto decoded = testing::decodeJpeg(same->bytes());
    ASSERT_TRUE(decoded);
    EXPECT_GE(testing::psnr(*decoded, vga), 38.0);

    const auto resized = prepareUpload(dir.file("large.jpg"));
    ASSERT_TRUE(resized);
    const auto picture = testing::decodeJpeg(resized->bytes());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 640);
    EXPECT_EQ(picture->height, 480);
}

TEST(UploadImage, NothingToSendWhenTheFileIsNoImage)
{
    test::TempDir dir;
    test::writeTextFile(dir.file("notes.txt"), "not a picture");
    EXPECT_FALSE(prepareUpload(dir.file("notes.txt")));
    EXPECT_FALSE(prepareUpload(dir.file("missing.bmp")));
    EXPECT_FALSE(prepareUpload(dir.path()));
}

}  // namespace
}  // namespace qm::device::imaging
