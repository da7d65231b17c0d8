// What the camera's playback menu does to stored pictures: the zoom (a
// zoomed picture is delivered as its window enlarged back to the picture's
// size, and its PictureInfo says so) and the protection from erasing.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/system/byte_order.h"
#include "simulators/stillcam/imaging/jpeg_codec.h"
#include "tests/simulators/stillcam/camera_fixture.h"
#include "tests/simulators/stillcam/jpeg_check.h"

namespace qm::stillcam::test {
namespace {

// 640 x 480 in four plain quadrants: red, green / blue, white.
Bytes quadrantJpeg()
{
    RgbImage image(640, 480);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            std::uint8_t* p = image.at(x, y);
            const bool right = x >= 320, bottom = y >= 240;
            p[0] = std::uint8_t(!bottom && !right ? 255 : bottom && right ? 255 : 0);
            p[1] = std::uint8_t(!bottom && right ? 255 : bottom && right ? 255 : 0);
            p[2] = std::uint8_t(bottom ? 255 : 0);
        }
    }
    return encodeJpeg(image, 95);
}

// The colour at (x, y) of a decoded 640-wide picture is within a JPEG's
// error of the expected one.
void expectColour(const Bytes& rgb, int x, int y, std::array<int, 3> expected)
{
    const std::size_t at = (std::size_t(y) * 640 + std::size_t(x)) * 3;
    ASSERT_LT(at + 2, rgb.size());
    for (int c = 0; c < 3; ++c)
        EXPECT_LE(std::abs(rgb[at + std::size_t(c)] - expected[std::size_t(c)]), 24) << x << "," << y << " channel " << c;
}

constexpr std::array<int, 3> kRed = {255, 0, 0}, kGreen = {0, 255, 0}, kBlue = {0, 0, 255}, kWhite = {255, 255, 255};

class StillCameraZoom : public ::testing::Test {
protected:
    void SetUp() override
    {
        camera = makeCamera(testConfig(16, 2));
        ASSERT_TRUE(camera->addPicture(quadrantJpeg()));
    }
    std::unique_ptr<StillCamera> camera;
};

TEST_F(StillCameraZoom, AZoomedPictureIsItsWindowEnlargedToThePicturesSize)
{
    // The centre half of the picture: each quadrant fills a quarter again.
    ASSERT_TRUE(camera->zoomPicture(3, {160, 120, 320, 240}));
    const Bytes zoomed = camera->pictureData(3);
    EXPECT_EQ(jpegDimensions(zoomed), std::make_pair(640, 480));
    const Bytes rgb = decodeRgb(zoomed);
    expectColour(rgb, 100, 100, kRed);
    expectColour(rgb, 540, 100, kGreen);
    expectColour(rgb, 100, 380, kBlue);
    expectColour(rgb, 540, 380, kWhite);

    // Zooming again works on what the camera holds now: a window well
    // inside its white quarter is all white.
    ASSERT_TRUE(camera->zoomPicture(3, {400, 300, 200, 150}));
    const Bytes white = decodeRgb(camera->pictureData(3));
    for (auto [x, y] : {std::pair{0, 0}, std::pair{639, 0}, std::pair{320, 240}, std::pair{0, 479}, std::pair{639, 479}})
        expectColour(white, x, y, kWhite);
}

TEST_F(StillCameraZoom, PictureInfoMarksTheZoomAndDescribesTheNewData)
{
    const std::uint32_t keyBefore = camera->pictures()[2].key;
    const Bytes thumbnailBefore = camera->thumbnailData(3);
    ASSERT_TRUE(camera->zoomPicture(3, {10, 20, 300, 200}));

    const auto info = camera->pictureInfo(3);
    ASSERT_TRUE(info);
    EXPECT_EQ((*info)[23], 1);
    EXPECT_EQ(sys::readLe16(&(*info)[24]), 10);
    EXPECT_EQ(sys::readLe16(&(*info)[26]), 20);
    EXPECT_EQ(sys::readLe16(&(*info)[28]), 300);
    EXPECT_EQ(sys::readLe16(&(*info)[30]), 200);
    EXPECT_EQ(sys::readLe32(&(*info)[4]), camera->pictureData(3).size());
    EXPECT_NE(sys::readLe32(&(*info)[12]), keyBefore) << "the thumbnail cache must see the change";
    EXPECT_NE(camera->thumbnailData(3), thumbnailBefore);
    EXPECT_EQ(camera->thumbnailData(3).size(), thumbnailBefore.size()) << "still the model's raw thumbnail";

    const auto pictures = camera->pictures();
    EXPECT_EQ(pictures[2].zoom, (ZoomWindow{10, 20, 300, 200}));
    EXPECT_FALSE(pictures[0].zoom);
    EXPECT_EQ((*camera->pictureInfo(1))[23], 0);
    for (std::size_t offset = 23; offset < 32; ++offset)
        EXPECT_EQ((*camera->pictureInfo(2))[offset], 0) << offset;
}

TEST_F(StillCameraZoom, WindowsOutsideThePictureAndPicturesThatAreNoJpegAreRefused)
{
    const Bytes before = camera->pictureData(3);
    for (const ZoomWindow& window : {ZoomWindow{0, 0, 0, 100}, ZoomWindow{0, 0, 100, 0}, ZoomWindow{-1, 0, 100, 100},
                                     ZoomWindow{0, -1, 100, 100}, ZoomWindow{600, 0, 41, 100},
                                     ZoomWindow{0, 400, 100, 81}})
        EXPECT_FALSE(camera->zoomPicture(3, window)) << window.x << "," << window.y << " " << window.width << "x"
                                                     << window.height;
    EXPECT_EQ(camera->pictureData(3), before);
    EXPECT_FALSE(camera->pictures()[2].zoom);
    EXPECT_FALSE(camera->zoomPicture(4, {0, 0, 10, 10})) << "no such picture";
    EXPECT_FALSE(camera->zoomPicture(0, {0, 0, 10, 10}));

    ASSERT_TRUE(camera->addPicture(Bytes(5000, 0x5A)));
    EXPECT_FALSE(camera->zoomPicture(4, {0, 0, 10, 10}));
    EXPECT_EQ(camera->pictureData(4), Bytes(5000, 0x5A));
}

TEST(StillCameraProtection, AProtectedPictureIsNeitherErasedAloneNorWithTheRest)
{
    auto camera = makeCamera(testConfig(16, 3));
    const Bytes second = camera->pictureData(2);
    ASSERT_TRUE(camera->protectPicture(2));
    EXPECT_FALSE(camera->protectPicture(4));
    EXPECT_EQ((*camera->pictureInfo(2))[17], 1);
    EXPECT_EQ((*camera->pictureInfo(1))[17], 0);

    EXPECT_EQ(parseReply(camera->exchange(request({CMD_ERASE, 2, 0}))).data, Bytes{0});
    EXPECT_EQ(camera->pictureCount(), 3u);
    EXPECT_EQ(parseReply(camera->exchange(request({CMD_ERASE, 1, 0}))).data, Bytes{1});
    ASSERT_EQ(camera->pictureCount(), 2u);
    EXPECT_EQ(camera->pictureData(1), second) << "numbers close up as usual";

    EXPECT_EQ(parseReply(camera->exchange(request({CMD_ERASE, 0, 0}))).data, Bytes{1});
    ASSERT_EQ(camera->pictureCount(), 1u);
    EXPECT_EQ(camera->pictureData(1), second);

    ASSERT_TRUE(camera->protectPicture(1, false));
    EXPECT_EQ(parseReply(camera->exchange(request({CMD_ERASE, 1, 0}))).data, Bytes{1});
    EXPECT_EQ(camera->pictureCount(), 0u);
}

}  // namespace
}  // namespace qm::stillcam::test
