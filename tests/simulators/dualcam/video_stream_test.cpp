// Live video as the host receives it: packets and sync bytes, frames that
// decode once the host's header is put in front, size, rate and quality
// following the registers.
#include "simulators/dualcam/dual_camera.h"
#include "simulators/dualcam/register_map.h"
#include "tests/simulators/dualcam/camera_host.h"

#include <gtest/gtest.h>

namespace qm::dualcam {
namespace {

using test::CameraHost;

constexpr int kQsifCode = 7;  // 160 x 120
constexpr int kSifCode = 3;   // 320 x 240

DualCamConfig stillScene()
{
    DualCamConfig config;
    config.scene.moving = false;
    return config;
}

TEST(DualCamVideoStream, NothingIsSentUntilTheRunBitsAreSet)
{
    DualCamera camera(stillScene());
    CameraHost host(camera);
    host.selectAlternate(1);
    for (int i = 0; i < 50; ++i) {
        const auto packet = host.step();
        EXPECT_TRUE(packet.data.empty());
        EXPECT_EQ(packet.sync, 0);
    }
    EXPECT_EQ(camera.streamMode(), StreamMode::Idle);
}

TEST(DualCamVideoStream, AFrameReassembledFromItsPacketsDecodesWithTheHostsHeader)
{
    DualCamera camera(stillScene());
    CameraHost host(camera);
    host.startVideo(kQsifCode, 0, 64, 5);
    EXPECT_EQ(camera.streamMode(), StreamMode::Video);
    const auto frame = host.nextFrame();
    ASSERT_TRUE(frame);
    ASSERT_TRUE(frame->valid()) << frame->announced << " vs " << frame->received;
    EXPECT_EQ(frame->raw[0], 64);
    const auto image = test::decodeVideoFrame(*frame, 160, 120);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 160);
    EXPECT_EQ(image->height, 120);
    // The colour bars: a neutral scene decodes to roughly equal channel means.
    EXPECT_NEAR(image->mean(0), image->mean(1), 12.0);
    EXPECT_NEAR(image->mean(2), image->mean(1), 12.0);
    EXPECT_GT(image->mean(1), 40.0);
}

TEST(DualCamVideoStream, LargerSizesUseFourToOneSamplingAndTheWrongHeaderFails)
{
    DualCamera camera(stillScene());
    CameraHost host(camera);
    host.startVideo(kSifCode, 0, 96, 1);
    const auto frame = host.nextFrame();
    ASSERT_TRUE(frame && frame->valid());
    const auto image = test::decodeVideoFrame(*frame, 320, 240);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 320);
    // A header declaring 2 x 1 sampling does not match the scan data.
    const auto wrong = test::decodeJpeg(test::assembleJpeg(frame->raw, 320, 240, 2));
    if (wrong) {
        EXPECT_GT(std::abs(wrong->mean(1) - image->mean(1)) + std::abs(wrong->mean(0) - image->mean(0)), 10.0);
    }
}

TEST(DualCamVideoStream, PacketsRespectTheAlternateSettingAndOnlyTheLastCarriesTheMark)
{
    DualCamera camera(stillScene());
    CameraHost host(camera);
    host.startVideo(kQsifCode, 0, 32, 7);
    unsigned marks = 0;
    for (int i = 0; i < 200; ++i) {
        const auto packet = host.step();
        EXPECT_LE(packet.data.size(), kDataPacketSize[7]);
        if (packet.sync & kSyncEndOfFrame) {
            ++marks;
            EXPECT_GE(packet.data.size(), 2u);
        }
    }
    EXPECT_GE(marks, 5u);
    host.selectAlternate(0);
    EXPECT_TRUE(host.step().data.empty());
}

TEST(DualCamVideoStream, FrameRateFollowsTheRateField)
{
    auto framesIn = [](int rateIndex, int ms) {
        DualCamera camera(stillScene());
        CameraHost host(camera);
        host.startVideo(kQsifCode, rateIndex, 64, 1);
        int frames = 0;
        for (int i = 0; i < ms; ++i)
            frames += (host.step().sync & kSyncEndOfFrame) ? 1 : 0;
        return frames;
    };
    EXPECT_EQ(framesIn(0, 1000), 30);
    EXPECT_EQ(framesIn(3, 1000), 15);
    EXPECT_EQ(framesIn(5, 1000), 5);
}

TEST(DualCamVideoStream, LongerSensorTimingSlowsTheFrameRate)
{
    DualCamera camera(stillScene());
    CameraHost host(camera);
    host.startVideo(kQsifCode, 0, 64, 1);
    host.write(reg::kFrameLines, {0x18, 0x04});  // 1048 lines: twice the normal timing
    int frames = 0;
    for (int i = 0; i < 1000; ++i)
        frames += (host.step().sync & kSyncEndOfFrame) ? 1 : 0;
    EXPECT_EQ(frames, 15);
}

TEST(DualCamVideoStream, BusResetRestartsTheController)
{
    DualCamera camera(stillScene());
    CameraHost host(camera);
    host.startVideo(kQsifCode, 0, 64, 1);
    host.writeByte(reg::kYGain, 20);
    camera.portReset();
    EXPECT_EQ(camera.streamMode(), StreamMode::Idle);
    EXPECT_EQ(camera.alternateSetting(), 0);
    EXPECT_EQ(camera.registerValue(reg::kYGain), 8);
}

TEST(DualCamVideoStream, QualityByteFollowsTheCompressionCommand)
{
    DualCamera camera(stillScene());
    CameraHost host(camera);
    host.startVideo(kQsifCode, 0, 100, 1);
    auto coarse = host.nextFrame();
    ASSERT_TRUE(coarse && coarse->valid());
    EXPECT_EQ(coarse->raw[0], 100);
    host.write(reg::kCompression, {10});
    auto fine = host.nextFrame();
    ASSERT_TRUE(fine && fine->valid());
    EXPECT_EQ(fine->raw[0], 10);
    EXPECT_GT(fine->received, coarse->received);
    EXPECT_TRUE(test::decodeVideoFrame(*fine, 160, 120));
}

TEST(DualCamVideoStream, TargetSizeModeSteersTheQualityTowardTheTarget)
{
    DualCamera camera(stillScene());
    CameraHost host(camera);
    host.startVideo(kQsifCode, 0, 64, 1);
    // F8 28 n: frames of about 4n bytes.
    const std::uint32_t n = 300;
    host.write(reg::kCompression, {0xF8, 0x28, std::uint8_t(n), std::uint8_t(n >> 8), 0, 0});
    std::size_t last = 0;
    for (int i = 0; i < 25; ++i) {
        auto frame = host.nextFrame();
        ASSERT_TRUE(frame && frame->valid());
        ASSERT_TRUE(test::decodeVideoFrame(*frame, 160, 120));
        last = frame->received;
    }
    EXPECT_NEAR(double(last), 4.0 * n, 0.25 * 4.0 * n);
}

TEST(DualCamVideoStream, SnapshotButtonSetsBitThreeWhileHeld)
{
    DualCamera camera(stillScene());
    CameraHost host(camera);
    host.startVideo(kQsifCode, 0, 64, 1);
    EXPECT_FALSE(host.step().sync & kSyncSnapshotButton);
    camera.setSnapshotButton(true);
    EXPECT_TRUE(host.step().sync & kSyncSnapshotButton);
    auto frame = host.nextFrame();
    ASSERT_TRUE(frame);
    EXPECT_TRUE(frame->snapshotButton);
    camera.setSnapshotButton(false);
    EXPECT_FALSE(host.step().sync & kSyncSnapshotButton);
}

TEST(DualCamVideoStream, ClearingTheRunBitsStopsTheStream)
{
    DualCamera camera(stillScene());
    CameraHost host(camera);
    host.startVideo(kQsifCode, 0, 64, 1);
    ASSERT_TRUE(host.nextFrame());
    host.stopVideo();
    EXPECT_EQ(camera.streamMode(), StreamMode::Idle);
    for (int i = 0; i < 100; ++i)
        EXPECT_TRUE(host.step().data.empty());
}

}  // namespace
}  // namespace qm::dualcam
