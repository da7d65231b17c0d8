// How captured frames become files.
#include "apps/qmvideo/frame_files.h"

#include <gtest/gtest.h>

#include "platform/system/byte_order.h"

namespace qm::qmvideo {
namespace {

VideoFormat rgb(long width, long height)
{
    VideoFormat format;
    format.valid = true;
    format.width = width;
    format.height = height;
    format.bitCount = 24;
    format.imageSize = std::size_t(width * height * 3);
    return format;
}

TEST(FrameFiles, TheContentDecidesTheFileKind)
{
    const std::vector<std::uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xD9};
    const std::vector<std::uint8_t> image(8 * 2 * 3, 0x40);
    const std::vector<std::uint8_t> raw = {64, 10, 0, 0, 1, 2, 3, 4, 5, 6};
    EXPECT_EQ(frameFileName(1, rgb(8, 2), jpeg), "frame_0001.jpg");
    EXPECT_EQ(frameFileName(12, rgb(8, 2), image), "frame_0012.bmp");
    EXPECT_EQ(frameFileName(3, rgb(8, 2), raw), "frame_0003.raw");
    VideoFormat mjpg = rgb(8, 2);
    mjpg.mjpg = true;
    EXPECT_EQ(frameFileName(4, mjpg, image), "frame_0004.raw");
}

TEST(FrameFiles, ABitmapFileHasItsHeadersInFrontOfTheRows)
{
    // Rows of 3 pixels take 9 bytes, padded to 12.
    std::vector<std::uint8_t> rows(12 * 2);
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = std::uint8_t(i);
    const auto file = bitmapFile(3, 2, rows);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->size(), 14u + 40u + rows.size());
    EXPECT_EQ((*file)[0], 'B');
    EXPECT_EQ((*file)[1], 'M');
    EXPECT_EQ(sys::readLe32(file->data() + 2), file->size());
    EXPECT_EQ(sys::readLe32(file->data() + 10), 54u);
    EXPECT_EQ(sys::readLe32(file->data() + 18), 3u);
    EXPECT_EQ(sys::readLe32(file->data() + 22), 2u);
    EXPECT_EQ(sys::readLe16(file->data() + 28), 24u);
    EXPECT_TRUE(std::equal(rows.begin(), rows.end(), file->begin() + 54));
    EXPECT_FALSE(bitmapFile(3, 2, std::vector<std::uint8_t>(18)));  // unpadded rows
    EXPECT_FALSE(bitmapFile(0, 2, rows));
}

}  // namespace
}  // namespace qm::qmvideo
