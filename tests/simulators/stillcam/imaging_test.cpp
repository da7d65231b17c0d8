// The camera's pictures and thumbnails: raw thumbnails read back with the
// host's own formula, JPEG thumbnails, generated scenes, picture folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/system/files.h"
#include "simulators/stillcam/core/model_traits.h"
#include "simulators/stillcam/imaging/scene.h"
#include "simulators/stillcam/imaging/thumbnails.h"
#include "tests/simulators/stillcam/camera_fixture.h"
#include "tests/simulators/stillcam/jpeg_check.h"
#include "tests/support/temp_dir.h"

namespace qm::stillcam::test {
namespace {

// The host's reading of a raw thumbnail pixel: YCbCr to RGB, then its gamma
// of 1.45. Returns red, green, blue.
std::array<int, 3> hostPixel(const Bytes& raw, int x, int y)
{
    const std::size_t at = std::size_t(y) * 160 + std::size_t(x / 2) * 4;
    const double luma = std::int8_t(raw[at + (x % 2 == 0 ? 0 : 2)]) + 128.0;
    const double cb = std::int8_t(raw[at + 1]), cr = std::int8_t(raw[at + 3]);
    auto gamma = [](double v) {
        v = std::clamp(std::floor(v), 0.0, 255.0);
        return int(std::clamp(std::floor(std::pow(v, 1 / 1.45) * 255 / std::pow(255, 1 / 1.45) + 0.5), 0.0, 255.0));
    };
    return {gamma(luma + 1.402 * cr), gamma(luma - 0.344136 * cb - 0.714136 * cr), gamma(luma + 1.772 * cb)};
}

RgbImage solid(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    RgbImage image(width, height);
    for (std::size_t i = 0; i < image.pixels.size(); i += 3) {
        image.pixels[i] = r;
        image.pixels[i + 1] = g;
        image.pixels[i + 2] = b;
    }
    return image;
}

TEST(StillCameraImaging, RawThumbnailLooksLikeThePictureOnceTheHostDecodesIt)
{
    for (auto colour : {std::array<int, 3>{128, 128, 128}, {200, 40, 40}, {30, 160, 220}, {250, 250, 250}}) {
        const Bytes raw = rawThumbnail(solid(640, 480, std::uint8_t(colour[0]), std::uint8_t(colour[1]),
                                             std::uint8_t(colour[2])));
        ASSERT_EQ(raw.size(), 9600u);
        for (auto [x, y] : {std::pair{0, 0}, {79, 59}, {40, 31}}) {
            const auto pixel = hostPixel(raw, x, y);
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(pixel[std::size_t(c)], colour[std::size_t(c)], 8) << c << " of " << colour[0];
        }
    }
    // Left and right halves of the picture stay apart: the thumbnail is 80 x 60, top row first.
    RgbImage split = solid(640, 480, 0, 0, 0);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 640; ++x)
            split.at(x, y)[0] = split.at(x, y)[1] = split.at(x, y)[2] = 255;
    const Bytes raw = rawThumbnail(split);
    EXPECT_GT(hostPixel(raw, 10, 5)[1], 240);
    EXPECT_LT(hostPixel(raw, 10, 55)[1], 15);
}

TEST(StillCameraImaging, JpegThumbnailAndPlaceholderTakeTheModelsForm)
{
    EXPECT_EQ(jpegDimensions(jpegThumbnail(solid(1360, 1024, 1, 2, 3))), std::make_pair(160, 120));
    EXPECT_EQ(placeholderThumbnail(16), Bytes(9600, 0));
    EXPECT_EQ(jpegDimensions(placeholderThumbnail(17)), std::make_pair(160, 120));
    EXPECT_TRUE(usesRawThumbnails(22));
    EXPECT_FALSE(usesRawThumbnails(20));

    auto camera = makeCamera(testConfig(20, 0));
    camera->addPicture(Bytes(3000, 0x11));  // no JPEG: a grey thumbnail
    EXPECT_EQ(jpegDimensions(camera->thumbnailData(1)), std::make_pair(160, 120));
}

TEST(StillCameraImaging, ScenesDifferBySeedAndRepeatForTheSame)
{
    const RgbImage a = renderScene(1, 160, 120), b = renderScene(1, 160, 120), c = renderScene(2, 160, 120);
    EXPECT_EQ(a.pixels, b.pixels);
    EXPECT_NE(a.pixels, c.pixels);
    const RgbImage half = resize(a, 80, 60);
    EXPECT_EQ(half.width, 80);
    // Shrinking averages: a 2 x 1 picture of black and white becomes mid grey.
    RgbImage pair = solid(2, 1, 0, 0, 0);
    pair.at(1, 0)[0] = pair.at(1, 0)[1] = pair.at(1, 0)[2] = 255;
    EXPECT_EQ(resize(pair, 1, 1).pixels, (Bytes{128, 128, 128}));
}

TEST(StillCameraImaging, EmbeddedRawThumbnailIsFoundOnlyWhereItIsWhole)
{
    const Bytes raw(9600, 0x42);
    const Bytes plain = solidJpeg(64, 48, 9, 9, 9);
    const Bytes carrying = withRawThumbnail(plain, raw);
    EXPECT_EQ(embeddedRawThumbnail(carrying), raw);
    EXPECT_FALSE(embeddedRawThumbnail(plain));
    EXPECT_FALSE(embeddedRawThumbnail(Bytes(carrying.begin(), carrying.begin() + 5000)));  // cut inside it
    EXPECT_FALSE(embeddedRawThumbnail(Bytes{0xFF, 0xD8, 0xFF}));
}

TEST(StillCameraImaging, ModelsRecordTheirOwnSizes)
{
    EXPECT_EQ(defaultResolutionCode(16), 0);
    EXPECT_EQ(defaultResolutionCode(32), 2);
    EXPECT_EQ(defaultResolutionCode(20), 4);
    EXPECT_FALSE(storedGeometry(22, 1));
    EXPECT_EQ(storedGeometry(18, 1)->width, 640);  // shown at 1024 x 768 by the host
    EXPECT_EQ(storedGeometry(18, 2)->width, 1024);
    EXPECT_FALSE(storedGeometry(32, 3));
    EXPECT_EQ(storedGeometry(20, 3)->width, 1280);
    EXPECT_EQ(resolutionCodeFor(20, 1024, 768), 1);
    EXPECT_EQ(resolutionCodeFor(18, 1024, 768), 2);
    EXPECT_FALSE(resolutionCodeFor(16, 1024, 768));

    auto config = testConfig(18, 1);
    config.resolutionCode = 1;
    auto camera = makeCamera(config);
    EXPECT_EQ(camera->pictureInfo(1)->at(22), 1);
    EXPECT_EQ(jpegDimensions(camera->pictureData(1)), std::make_pair(640, 480));
    config.resolutionCode = 3;
    std::string error;
    EXPECT_FALSE(StillCamera::create(config, &error));
    EXPECT_NE(error.find("resolution"), std::string::npos);
}

TEST(StillCameraImaging, PictureFolderKeepsFittingFilesAndScalesTheOthers)
{
    qm::test::TempDir folder;
    const Bytes vga = solidJpeg(640, 480, 10, 100, 200);
    ASSERT_TRUE(sys::writeFileAtomically(folder.file("a.jpg"), vga));
    ASSERT_TRUE(sys::writeFileAtomically(folder.file("b.JPEG"), solidJpeg(800, 600, 200, 10, 10)));
    ASSERT_TRUE(sys::writeFileAtomically(folder.file("c.jpg"), std::string("not a picture")));
    ASSERT_TRUE(sys::writeFileAtomically(folder.file("d.txt"), std::string("notes")));

    auto config = testConfig(16);
    config.pictureFolder = folder.path();
    auto camera = makeCamera(config);
    ASSERT_EQ(camera->pictureCount(), 2u);
    EXPECT_EQ(camera->pictureData(1), vga);
    EXPECT_EQ(jpegDimensions(camera->pictureData(2)), std::make_pair(640, 480));
    EXPECT_EQ(camera->skippedFiles(), std::vector<std::string>{"c.jpg"});

    config.pictureFolder = folder.file("missing");
    EXPECT_FALSE(StillCamera::create(config));
}

}  // namespace
}  // namespace qm::stillcam::test
