// The statistics the host's exposure and white-balance loops read back: they
// must answer to what the host writes so that its loops can converge.
#include "simulators/dualcam/dual_camera.h"
#include "simulators/dualcam/register_map.h"
#include "tests/simulators/dualcam/camera_host.h"

#include <gtest/gtest.h>

#include <numeric>

namespace qm::dualcam {
namespace {

using test::CameraHost;

constexpr int kQsifCode = 7;  // 160 x 120
constexpr int kSifCode = 3;   // 320 x 240

DualCamConfig dimScene(int cdsType = 0, double brightness = 0.3)
{
    DualCamConfig config;
    config.cdsType = cdsType;
    config.scene.moving = false;
    config.scene.brightness = brightness;
    return config;
}

class DualCamStatistics : public ::testing::Test {
protected:
    explicit DualCamStatistics(DualCamConfig config = dimScene()) : camera(config), host(camera) {}

    void sizeCode(int code) { host.writeByte(reg::kFrameControl, std::uint8_t(0xA0 | (code << 2))); }
    void shutter(int value) { host.write(reg::kShutter, {std::uint8_t(value), std::uint8_t(value >> 8)}); }
    void sharpGain(int g) { host.write(reg::kFrontEndData, {0xC0, 0x00, std::uint8_t(g), 0x02, 0x00, 0x01}); }

    std::vector<std::uint8_t> grid()
    {
        camera.measureNow();
        return host.read(reg::kLuminanceGrid, 64);
    }
    double gridMean()
    {
        const auto cells = grid();
        double sum = 0;
        int used = 0;
        for (auto v : cells)
            if (v) {
                sum += v;
                ++used;
            }
        return used ? sum / used : 0;
    }
    std::array<std::uint32_t, 3> sums()
    {
        camera.measureNow();
        const auto bytes = host.read(reg::kWhiteBalanceSums, 16);
        std::array<std::uint32_t, 3> out{};
        for (std::size_t c = 0; c < 3; ++c) {
            // Read most significant first, low 3 bits of the top byte.
            out[c] = std::uint32_t((bytes[4 * c + 3] & 7) << 24 | bytes[4 * c + 2] << 16 | bytes[4 * c + 1] << 8 |
                                   bytes[4 * c]);
        }
        return out;
    }

    DualCamera camera;
    CameraHost host;
};

TEST_F(DualCamStatistics, GridCoversFixedCellsOfTheFrame)
{
    auto used = [&](int code) {
        sizeCode(code);
        const auto cells = grid();
        int n = 0;
        for (int r = 0; r < 8; ++r)
            for (int c = 0; c < 8; ++c)
                if (cells[std::size_t(r * 8 + c)])
                    ++n;
        return n;
    };
    EXPECT_EQ(used(kQsifCode), 4);
    EXPECT_EQ(used(kSifCode), 16);
    EXPECT_EQ(used(0), 64);
}

TEST_F(DualCamStatistics, LuminanceFollowsShutterGainAndYGain)
{
    sizeCode(kSifCode);
    const double base = gridMean();
    ASSERT_GT(base, 10.0);
    shutter(262);
    const double halfExposure = gridMean();
    EXPECT_NEAR(halfExposure / base, 262.0 / 524.0, 0.1);
    shutter(0);
    sharpGain(64);  // one doubling of the Sharp chip's gain
    EXPECT_NEAR(gridMean() / base, 2.0, 0.25);
    sharpGain(0);
    host.writeByte(reg::kYGain, 16);
    EXPECT_NEAR(gridMean() / base, 2.0, 0.25);
}

TEST_F(DualCamStatistics, LongerFrameTimingExposesLonger)
{
    sizeCode(kSifCode);
    const double base = gridMean();
    host.write(reg::kFrameLines, {0xD3, 0x03});  // 979 lines
    EXPECT_NEAR(gridMean() / base, 979.0 / 524.0, 0.2);
}

TEST_F(DualCamStatistics, StatisticsArriveWithEveryVideoFrame)
{
    host.startVideo(kQsifCode, 0, 64);
    ASSERT_TRUE(host.nextFrame());
    const auto bright = host.read(reg::kLuminanceGrid, 16);
    shutter(400);
    ASSERT_TRUE(host.nextFrame());
    const auto dark = host.read(reg::kLuminanceGrid, 16);
    for (std::size_t i : {0u, 1u, 8u, 9u})
        EXPECT_LT(dark[i], bright[i]) << i;
}

TEST_F(DualCamStatistics, WhiteBalanceSumsFollowTheColourGains)
{
    sizeCode(kQsifCode);
    const auto neutral = sums();
    EXPECT_NEAR(double(neutral[0]) / neutral[1], 1.0, 0.05);
    EXPECT_NEAR(double(neutral[2]) / neutral[1], 1.0, 0.05);
    host.writeByte(reg::kRedGain, 32);
    host.writeByte(reg::kBlueGain, 8);
    const auto tinted = sums();
    EXPECT_NEAR(double(tinted[0]) / neutral[0], 2.0, 0.15);
    EXPECT_NEAR(double(tinted[2]) / neutral[2], 0.5, 0.1);
    EXPECT_NEAR(double(tinted[1]) / neutral[1], 1.0, 0.02);
}

TEST_F(DualCamStatistics, WhiteBalanceWindowLimitsTheSums)
{
    sizeCode(kQsifCode);
    const auto full = sums();
    // x 40..119, y 30..89: a quarter of the pixels.
    host.write(reg::kAwbWindow, {40, 0, 119, 0, 30, 0, 89, 0});
    camera.measureNow();
    const auto count = host.read(reg::kWhiteBalanceCount, 4);
    EXPECT_EQ(count[0] | (count[1] << 8), 80 * 60);
    const auto part = sums();
    EXPECT_LT(part[1], full[1] / 2);
}

class DualCamCastScene : public DualCamStatistics {
protected:
    DualCamCastScene() : DualCamStatistics(castScene()) {}

    static DualCamConfig castScene()
    {
        auto config = dimScene();
        config.scene.colourCast = {1.25, 1.0, 0.85};
        return config;
    }
};

TEST_F(DualCamCastScene, TheHostsWhiteBalanceLoopConverges)
{
    sizeCode(kQsifCode);
    int red = 16, blue = 16;
    const int green = 16;
    for (int step = 0; step < 12; ++step) {
        const auto s = sums();
        ASSERT_TRUE(s[0] && s[1] && s[2]);
        // The host's update: gain x G / R with the colour temperature at neutral (16).
        const std::uint32_t x = 16u * (s[1] * 32 / s[0]) * std::uint32_t(red);
        const std::uint32_t y = 16u * (s[1] * 32 / s[2]) * std::uint32_t(blue);
        red = x > 32511 ? 63 : int(((x >> 8) + 1) >> 1);
        blue = y > 32511 ? 63 : int(((y >> 8) + 1) >> 1);
        host.write(reg::kRedGain, {std::uint8_t(red), std::uint8_t(blue), std::uint8_t(green)});
    }
    EXPECT_NEAR(red, 16 / 1.25, 1.0);
    EXPECT_NEAR(blue, 16 / 0.85, 1.0);
    const auto s = sums();
    EXPECT_NEAR(double(s[0]) / s[1], 1.0, 0.06);
    EXPECT_NEAR(double(s[2]) / s[1], 1.0, 0.06);
}

TEST_F(DualCamStatistics, TheHostsExposureLoopConverges)
{
    // Bright light; the host shortens the shutter until the weighted
    // average of the four cells it uses at 160 x 120 reaches its target.
    camera.setScene([] {
        SceneConfig scene;
        scene.moving = false;
        scene.brightness = 1.5;
        return scene;
    }());
    sizeCode(kQsifCode);
    int s = 0;
    int average = 0;
    for (int step = 0; step < 40; ++step) {
        const auto cells = grid();
        int sum = 0;
        for (std::size_t i : {0u, 1u, 8u, 9u})
            sum += std::min<int>(cells[i], 0x90);
        average = sum * 32 / 75;
        const int error = average - 128;
        if (std::abs(error) <= 8)
            break;
        s = std::clamp(s + (error > 0 ? 1 : -1) * std::max(1, std::abs(error) / 2), 0, 522);
        shutter(s);
    }
    EXPECT_NEAR(average, 128, 8);
    EXPECT_GT(s, 0);
}

TEST_F(DualCamStatistics, OpticalBlackLevelRisesWithGainAndTheOffsetRemovesIt)
{
    camera.setScene([] {
        SceneConfig scene;
        scene.moving = false;
        scene.brightness = 0.0;  // lens cap on
        return scene;
    }());
    sizeCode(kQsifCode);
    host.writeByte(reg::kOpticalBlackOffset, 0);
    camera.measureNow();
    const int level = host.readByte(reg::kOpticalBlackLevel);
    EXPECT_EQ(level, 32);
    EXPECT_NEAR(gridMean(), level, 1.0);
    // The host writes the level back as the offset: black is black again.
    host.writeByte(reg::kOpticalBlackOffset, std::uint8_t(level));
    EXPECT_EQ(grid()[0], 0);
    sharpGain(128);
    camera.measureNow();
    EXPECT_GT(host.readByte(reg::kOpticalBlackLevel), level);
}

TEST_F(DualCamStatistics, FloodedSensorLeaksIntoTheOpticalBlack)
{
    sizeCode(kQsifCode);
    camera.measureNow();
    const int normal = host.readByte(reg::kOpticalBlackLevel);
    camera.setScene([] {
        SceneConfig scene;
        scene.pattern = ScenePattern::Flat;
        scene.brightness = 6.0;
        return scene;
    }());
    camera.measureNow();
    EXPECT_GT(host.readByte(reg::kOpticalBlackLevel), normal + 100);
}

TEST_F(DualCamStatistics, ToneCurveShapesTheDecodedPicture)
{
    host.startVideo(kQsifCode, 0, 32);
    auto frame = host.nextFrame();
    ASSERT_TRUE(frame && frame->valid());
    const auto normal = test::decodeVideoFrame(*frame, 160, 120);
    ASSERT_TRUE(normal);
    host.write(reg::kToneCurve, std::vector<std::uint8_t>(17, 0));
    frame = host.nextFrame();
    ASSERT_TRUE(frame && frame->valid());
    const auto black = test::decodeVideoFrame(*frame, 160, 120);
    ASSERT_TRUE(black);
    EXPECT_GT(normal->mean(1), 20.0);
    EXPECT_LT(black->mean(1), 3.0);
}

TEST(DualCamStatisticsCmos, ExposureComesFromTheSensorRegisters)
{
    DualCamConfig config = dimScene();
    config.ccdType = 3;
    DualCamera camera(config);
    CameraHost host(camera);
    host.writeByte(reg::kFrameControl, 0xA0 | (kQsifCode << 2));
    camera.measureNow();
    const int full = host.readByte(reg::kLuminanceGrid);
    // The CCD shutter register means nothing to this sensor.
    host.write(reg::kShutter, {0x00, 0x02});
    camera.measureNow();
    EXPECT_EQ(host.readByte(reg::kLuminanceGrid), full);
    host.write(reg::kSerialCommand, {0xFB, 0x13, 0x02});
    host.write(reg::kFrontEndData, {0x00, 0x02, 0x55, 0x00, reverseBits(0x20), 0x00, reverseBits(64), 0x00});
    camera.measureNow();
    EXPECT_NEAR(host.readByte(reg::kLuminanceGrid), full / 4.0, 3.0);
}

}  // namespace
}  // namespace qm::dualcam
