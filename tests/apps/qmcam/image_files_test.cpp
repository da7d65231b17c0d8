#include "apps/qmcam/image_files.h"

#include <gtest/gtest.h>
#include <png.h>

#include "apps/qmcam/progress_bar.h"
#include "platform/system/byte_order.h"
#include "platform/system/files.h"
#include "tests/support/temp_dir.h"

namespace qm::qmcam {
namespace {

// A bottom-up 24-bit DIB whose pixel (x, y from the top) is (x, y, x + y).
std::vector<std::uint8_t> gradientDib(int width, int height)
{
    const std::size_t stride = (std::size_t(width) * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> dib(40 + stride * height);
    sys::writeLe32(dib.data(), 40);
    sys::writeLe32(dib.data() + 4, std::uint32_t(width));
    sys::writeLe32(dib.data() + 8, std::uint32_t(height));
    sys::writeLe16(dib.data() + 12, 1);
    sys::writeLe16(dib.data() + 14, 24);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = dib.data() + 40 + stride * std::size_t(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = std::uint8_t(x + y);
            row[3 * x + 1] = std::uint8_t(y);
            row[3 * x + 2] = std::uint8_t(x);
        }
    }
    return dib;
}

TEST(DibLayout, AcceptsOnlyWholeUncompressed24BitBitmaps)
{
    std::vector<std::uint8_t> dib = gradientDib(5, 3);  // odd width: padded rows
    const std::optional<DibLayout> layout = dibLayout(dib);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->stride, 16u);
    EXPECT_EQ(layout->size, 40u + 48u);

    EXPECT_FALSE(dibLayout(std::span(dib).first(dib.size() - 1))) << "a row past the end";
    std::vector<std::uint8_t> compressed = dib;
    sys::writeLe32(compressed.data() + 16, 1);
    EXPECT_FALSE(dibLayout(compressed));
    std::vector<std::uint8_t> eightBit = dib;
    sys::writeLe16(eightBit.data() + 14, 8);
    EXPECT_FALSE(dibLayout(eightBit));
    std::vector<std::uint8_t> huge = dib;
    sys::writeLe32(huge.data() + 4, 0x7FFFFFFF);
    EXPECT_FALSE(dibLayout(huge));
    EXPECT_FALSE(dibLayout(std::span(dib).first(39)));
}

TEST(DibImage, TurnsBottomUpBgrIntoTopDownRgb)
{
    const std::optional<RgbImage> image = imageFromDib(gradientDib(5, 3));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->width, 5);
    ASSERT_EQ(image->height, 3);
    const std::uint8_t* pixel = image->rgb.data() + (2 * 5 + 4) * 3;  // x 4, y 2
    EXPECT_EQ(pixel[0], 4);
    EXPECT_EQ(pixel[1], 2);
    EXPECT_EQ(pixel[2], 6);
}

TEST(ImageFiles, BitmapFilesCarryTheFileHeaderAndTheDib)
{
    test::TempDir dir;
    const std::vector<std::uint8_t> dib = gradientDib(4, 2);
    ASSERT_TRUE(writeBmpFile(dir.file("p.bmp"), dib));
    const auto file = sys::readWholeFile(dir.file("p.bmp"));
    ASSERT_TRUE(file);
    ASSERT_EQ(file->size(), 14 + dib.size());
    EXPECT_EQ((*file)[0], 'B');
    EXPECT_EQ(sys::readLe32(file->data() + 2), file->size());
    EXPECT_EQ(sys::readLe32(file->data() + 10), 54u);
    EXPECT_TRUE(std::equal(dib.begin(), dib.end(), file->begin() + 14));
    EXPECT_FALSE(writeBmpFile(dir.file("bad.bmp"), std::span(dib).first(20)));
    EXPECT_FALSE(sys::fileExists(dir.file("bad.bmp")));
}

TEST(ImageFiles, PngFilesDecodeToTheSamePixels)
{
    test::TempDir dir;
    const std::optional<RgbImage> image = imageFromDib(gradientDib(7, 5));
    ASSERT_TRUE(image);
    ASSERT_TRUE(writePngFile(dir.file("p.png"), *image));

    png_image read{};
    read.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&read, dir.file("p.png").c_str()));
    read.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(read));
    ASSERT_TRUE(png_image_finish_read(&read, nullptr, pixels.data(), 0, nullptr));
    EXPECT_EQ(read.width, 7u);
    EXPECT_EQ(read.height, 5u);
    EXPECT_EQ(pixels, image->rgb);
}

TEST(ImageFiles, BlitClipsAtTheSheetEdges)
{
    RgbImage sheet{4, 3, std::vector<std::uint8_t>(4 * 3 * 3, 0)};
    RgbImage tile{2, 2, std::vector<std::uint8_t>(2 * 2 * 3, 9)};
    blit(sheet, tile, 3, 2);   // only (3, 2) lands
    blit(sheet, tile, -1, -1); // only (0, 0) lands
    blit(sheet, tile, 9, 9);   // nothing
    int painted = 0;
    for (std::size_t i = 0; i < sheet.rgb.size(); i += 3)
        painted += sheet.rgb[i] == 9;
    EXPECT_EQ(painted, 2);
    EXPECT_EQ(sheet.rgb[(2 * 4 + 3) * 3], 9);
    EXPECT_EQ(sheet.rgb[0], 9);
}

TEST(ProgressBar, RendersAClampedBar)
{
    EXPECT_EQ(ProgressBar::render("get", 50), "get [###############               ]  50%");
    EXPECT_EQ(ProgressBar::render("x", 250), "x [##############################] 100%");
    EXPECT_EQ(ProgressBar::render("x", 0), "x [                              ]   0%");
}

TEST(ProgressBar, WritesALinePerQuarterWhenNotOnATerminal)
{
    std::FILE* log = std::tmpfile();
    ASSERT_NE(log, nullptr);
    ProgressBar::begin("get 1", log);
    for (std::uint32_t percent : {1u, 10u, 24u, 26u, 27u, 60u, 99u, 100u})
        ProgressBar::callback(0, 0, percent);
    ProgressBar::callback(0, 0, 0);  // the end call
    ProgressBar::finish();
    std::rewind(log);
    std::vector<std::string> lines;
    char line[128];
    while (std::fgets(line, sizeof line, log) != nullptr)
        lines.emplace_back(line);
    std::fclose(log);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], ProgressBar::render("get 1", 1) + "\n");
    EXPECT_EQ(lines[1], ProgressBar::render("get 1", 26) + "\n");
    EXPECT_EQ(lines[2], ProgressBar::render("get 1", 60) + "\n");
    EXPECT_EQ(lines[3], ProgressBar::render("get 1", 99) + "\n");
    EXPECT_EQ(lines[4], ProgressBar::render("get 1", 100) + "\n");
}

}  // namespace
}  // namespace qm::qmcam
