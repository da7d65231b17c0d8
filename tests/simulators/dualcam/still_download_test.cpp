// Stored pictures sent over the isochronous pipe after a download command,
// as the host's still pin receives them.
#include "platform/system/byte_order.h"
#include "simulators/dualcam/dual_camera.h"
#include "simulators/dualcam/register_map.h"
#include "tests/simulators/dualcam/camera_host.h"

#include <gtest/gtest.h>

namespace qm::dualcam {
namespace {

using test::CameraHost;

constexpr std::uint8_t kDownload = 0x0C;      // new layout, picture n
constexpr std::uint8_t kDownloadNext = 0x00;  // new layout, pictures from n on
constexpr int kStillSampling = 2;

DualCamConfig storedPictures(std::size_t count, bool segments = false)
{
    DualCamConfig config;
    config.scene.moving = false;
    for (std::size_t i = 0; i < count; ++i) {
        StoredPictureDescription description;
        description.variant = int(i);
        description.quality = std::uint8_t(40 + i);
        description.appSegment = segments && i % 2 == 1;
        config.pictures.push_back(description);
    }
    return config;
}

// The host's capture start in still mode: download command, start byte, strobe.
void startDownload(CameraHost& host, std::uint8_t code, unsigned number)
{
    ASSERT_TRUE(host.command(std::uint8_t(number), std::uint8_t(((number >> 8) << 4) | code)));
    host.writeByte(reg::kStillStart, reg::kStillStartByte);
    host.writeByte(reg::kMaster, reg::kStillDownloadStrobe);
}

std::uint16_t pictureIndex(const test::ReceivedFrame& frame)
{
    const std::size_t length = frame.received;
    return sys::readLe16(&frame.raw[length - 2]);
}

TEST(DualCamStillDownload, PictureByNumberArrivesAsADecodableJpeg)
{
    DualCamera camera(storedPictures(3));
    CameraHost host(camera);
    host.selectAlternate(1);
    startDownload(host, kDownload, 2);
    EXPECT_EQ(camera.streamMode(), StreamMode::Still);
    const auto frame = host.nextFrame();
    ASSERT_TRUE(frame);
    ASSERT_TRUE(frame->valid());
    EXPECT_GT(frame->received, 512u);
    EXPECT_EQ(frame->raw[0], 41);  // the picture's own Q
    EXPECT_EQ(pictureIndex(*frame), 1);
    const auto jpeg = test::assembleJpeg(frame->raw, 640, 480, kStillSampling);
    EXPECT_EQ(jpeg.size(), frame->received + test::kHeaderSize);
    const auto image = test::decodeJpeg(jpeg);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 640);
    EXPECT_EQ(image->height, 480);
    // One picture only.
    EXPECT_FALSE(host.nextFrame(300));
}

TEST(DualCamStillDownload, DownloadNextSendsTheRestInOrderWithTheirIndices)
{
    DualCamera camera(storedPictures(4));
    CameraHost host(camera);
    host.selectAlternate(1);
    startDownload(host, kDownloadNext, 2);
    for (std::uint16_t k = 1; k < 4; ++k) {
        const auto frame = host.nextFrame();
        ASSERT_TRUE(frame && frame->valid()) << k;
        EXPECT_EQ(pictureIndex(*frame), k);
        EXPECT_EQ(frame->raw[0], 40 + k);
    }
    EXPECT_FALSE(host.nextFrame(300));
}

TEST(DualCamStillDownload, PicturesWithTheSegmentDecodeWithItBetweenTablesAndScan)
{
    DualCamera camera(storedPictures(2, true));
    CameraHost host(camera);
    host.selectAlternate(2);
    startDownload(host, kDownload, 2);
    const auto frame = host.nextFrame();
    ASSERT_TRUE(frame && frame->valid());
    // The frame starts with the segment; its length field is the host's to restore.
    EXPECT_EQ(frame->raw[0], 0xFF);
    EXPECT_EQ(frame->raw[1], 0xE1);
    EXPECT_EQ(frame->raw[kAppSegmentSize], 41);
    EXPECT_EQ(pictureIndex(*frame), 1);
    const auto jpeg = test::assembleJpeg(frame->raw, 640, 480, kStillSampling);
    EXPECT_EQ(jpeg.size(), frame->received + test::kHeaderSize);
    EXPECT_EQ(jpeg[599], 0xFF);
    EXPECT_EQ(jpeg[600], 0xE1);
    EXPECT_EQ(jpeg[1111], 0xFF);
    EXPECT_EQ(jpeg[1112], 0xDA);
    const auto image = test::decodeJpeg(jpeg);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 640);

    // Without the restored length the segment swallows the tables' successor.
    auto unrestored = jpeg;
    unrestored[601] = frame->raw[2];
    unrestored[602] = frame->raw[3];
    EXPECT_FALSE(test::decodeJpeg(unrestored));
}

TEST(DualCamStillDownload, NothingIsSentWithoutTheStartByteOrACommand)
{
    DualCamera camera(storedPictures(2));
    CameraHost host(camera);
    host.selectAlternate(1);
    host.writeByte(reg::kStillStart, reg::kStillStartByte);
    host.writeByte(reg::kMaster, reg::kStillDownloadStrobe);
    EXPECT_EQ(camera.streamMode(), StreamMode::Idle);

    ASSERT_TRUE(host.command(1, kDownload));
    host.writeByte(reg::kStillStart, 0x00);
    host.writeByte(reg::kMaster, reg::kStillDownloadStrobe);
    EXPECT_FALSE(host.nextFrame(200));
}

TEST(DualCamStillDownload, WaitsForTheHostAndStartsOverAfterAPipeReset)
{
    DualCamera camera(storedPictures(1));
    CameraHost host(camera);
    host.selectAlternate(1);
    startDownload(host, kDownload, 1);
    for (unsigned i = 0; i < kRestartPauseMs; ++i)
        EXPECT_TRUE(host.step().data.empty());
    // Nobody listens to the first packets; the host resets the pipe and
    // only then starts its transfers.
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(host.step().data.empty());
    camera.pipeReset(kDataEndpoint);
    for (unsigned i = 0; i < kRestartPauseMs; ++i)
        EXPECT_TRUE(host.step().data.empty());
    const auto frame = host.nextFrame();
    ASSERT_TRUE(frame && frame->valid());
    EXPECT_TRUE(test::decodeJpeg(test::assembleJpeg(frame->raw, 640, 480, kStillSampling)));
}

TEST(DualCamStillDownload, APictureWaitsInTheCameraWhileTheHostAsksForNothing)
{
    DualCamera camera(storedPictures(2));
    CameraHost host(camera);
    host.selectAlternate(1);
    startDownload(host, kDownloadNext, 1);
    // The host takes a few packets, then leaves whole frames unpolled (its
    // transfers late), again and again: nothing of the picture is lost.
    test::FrameAssembler assembler;
    std::optional<test::ReceivedFrame> frame;
    for (unsigned i = 0; i < 2000 && !frame; ++i) {
        if (i % 3 == 0)
            for (int idle = 0; idle < 4; ++idle)
                host.idleFrame();
        frame = assembler.add(host.step());
    }
    ASSERT_TRUE(frame && frame->valid());
    EXPECT_EQ(pictureIndex(*frame), 0);
    EXPECT_TRUE(test::decodeJpeg(test::assembleJpeg(frame->raw, 640, 480, kStillSampling)));
    // The next picture follows as usual.
    const auto second = host.nextFrame();
    ASSERT_TRUE(second && second->valid());
    EXPECT_EQ(pictureIndex(*second), 1);
}

TEST(DualCamStillDownload, APipeResetEmptiesThePacketHeldForTheHost)
{
    DualCamera camera(storedPictures(1));
    CameraHost host(camera);
    host.selectAlternate(1);
    startDownload(host, kDownload, 1);
    // The first packet waits for a host whose stream is not running yet;
    // the host resets the pipe as the stream starts.
    for (unsigned i = 0; i < kRestartPauseMs + 10; ++i)
        host.idleFrame();
    camera.pipeReset(kDataEndpoint);
    const auto frame = host.nextFrame();
    ASSERT_TRUE(frame && frame->valid());
    EXPECT_TRUE(test::decodeJpeg(test::assembleJpeg(frame->raw, 640, 480, kStillSampling)));
}

TEST(DualCamStillDownload, TestPicturesDifferAndEverySecondCarriesTheSegment)
{
    DualCamConfig config;
    config.pictures = testPictures(2);
    DualCamera camera(config);
    CameraHost host(camera);
    host.selectAlternate(1);
    startDownload(host, kDownloadNext, 1);
    const auto first = host.nextFrame();
    const auto second = host.nextFrame();
    ASSERT_TRUE(first && first->valid() && second && second->valid());
    EXPECT_NE(first->raw[0], 0xFF);
    EXPECT_EQ(second->raw[0], 0xFF);
    EXPECT_EQ(second->raw[1], 0xE1);
    const auto a = test::decodeJpeg(test::assembleJpeg(first->raw, 640, 480, kStillSampling));
    const auto b = test::decodeJpeg(test::assembleJpeg(second->raw, 640, 480, kStillSampling));
    ASSERT_TRUE(a && b);
    const std::size_t topLeft = (40 * 640 + 40) * 3;
    EXPECT_GT(std::abs(int(a->rgb[topLeft + 2]) - int(b->rgb[topLeft + 2])) +
                  std::abs(int(a->rgb[topLeft]) - int(b->rgb[topLeft])),
              60);
}

TEST(DualCamStillDownload, ACameraThatDoesNotNameTheIndexSendsFfFf)
{
    auto config = storedPictures(2);
    config.reportPictureIndex = false;
    DualCamera camera(config);
    CameraHost host(camera);
    host.selectAlternate(1);
    startDownload(host, kDownload, 1);
    const auto frame = host.nextFrame();
    ASSERT_TRUE(frame && frame->valid());
    EXPECT_EQ(pictureIndex(*frame), 0xFFFF);
}

TEST(DualCamStillDownload, ATakenPictureCanBeDownloaded)
{
    DualCamConfig config;
    config.scene.moving = false;
    config.snapshotQuality = 30;
    DualCamera camera(config);
    CameraHost host(camera);
    ASSERT_TRUE(host.command(0x0B));
    ASSERT_EQ(camera.pictureCount(), 1u);
    host.selectAlternate(1);
    startDownload(host, kDownload, 1);
    const auto frame = host.nextFrame();
    ASSERT_TRUE(frame && frame->valid());
    EXPECT_EQ(frame->raw[0], 0xFF) << "taken pictures carry the segment";
    EXPECT_EQ(frame->raw[kAppSegmentSize], 30);
    const auto image = test::decodeJpeg(test::assembleJpeg(frame->raw, 640, 480, kStillSampling));
    ASSERT_TRUE(image);
    EXPECT_GT(image->mean(1), 30.0);
}

TEST(DualCamStillDownload, CaptureStopEndsTheDownload)
{
    DualCamera camera(storedPictures(3));
    CameraHost host(camera);
    host.selectAlternate(1);
    startDownload(host, kDownloadNext, 1);
    for (unsigned i = 0; i < kRestartPauseMs; ++i)
        host.step();
    ASSERT_FALSE(host.step().data.empty());
    host.writeByte(reg::kMaster, 0xB8);
    EXPECT_EQ(camera.streamMode(), StreamMode::Idle);
    EXPECT_TRUE(host.step().data.empty());
}

}  // namespace
}  // namespace qm::dualcam
