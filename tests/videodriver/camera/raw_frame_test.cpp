// MORVAX_ProcessRawVideoFrame on frames made by the camera's compressor:
// the header it writes, the three outputs, frames it must drop, the
// snapshot copies and the snapshot button.
#include <gtest/gtest.h>

#include <random>

#include "platform/kernel/registry.h"
#include "platform/system/byte_order.h"
#include "tests/videodriver/camera/support/camera_on_bus.h"
#include "tests/videodriver/camera/support/raw_frames.h"
#include "tests/videodriver/driver/rig/video_rig.h"
#include "tests/videodriver/jpeg/camera_frames.h"
#include "videodriver/camera/settings_key.h"
#include "videodriver/jpeg/jpeg_header.h"
#include "videodriver/jpeg/jpeg_tables.h"

namespace qm::morvax::test {
namespace {

class RawFrameTest : public CameraOnBus {
protected:
    void SetUp() override
    {
        CameraOnBus::SetUp();
        initialize();
    }

    // A video stream of this size and output.
    void stream(ULONG width, ULONG height, ULONG compression)
    {
        context()->Width = width;
        context()->Height = height;
        context()->OutputCompression = compression;
        context()->StillMode = 0;
    }

    std::vector<UCHAR> output = std::vector<UCHAR>(640 * 480 * 3);
};

TEST_F(RawFrameTest, MjpgHeadersCarryTheQuantisationTablesScaledByTheFramesQuality)
{
    stream(320, 240, kCompressionMjpg);
    const CameraFrame frame = cameraFrame(320, 240, 64);
    for (UCHAR quality : {UCHAR(64), UCHAR(1), UCHAR(127)}) {
        RawRead read = videoFrame(quality, frame.scan);
        const Converted converted = convertFrame(context(), read, output);
        ASSERT_EQ(converted.status, STATUS_SUCCESS);
        ASSERT_EQ(converted.bytes, read.received + 613);
        EXPECT_EQ(output[19], quality);
        for (std::size_t i = 0; i < 64; ++i) {
            const unsigned luma = output[31 + i], chroma = output[96 + i];
            const unsigned lumaBase = kLuminanceQuantBase[i], chromaBase = kChrominanceQuantBase[i];
            if (quality == 64) {
                EXPECT_EQ(luma, lumaBase);
                EXPECT_EQ(chroma, chromaBase);
            } else if (quality == 1) {
                EXPECT_EQ(luma, lumaBase >= 96 ? 2u : 1u) << i;
                EXPECT_EQ(chroma, chromaBase >= 96 ? 2u : 1u) << i;
            } else {
                EXPECT_EQ(luma, (lumaBase * 127 + 32) / 64);
                EXPECT_EQ(chroma, (chromaBase * 127 + 32) / 64);
                EXPECT_LE(luma, 240u);
                EXPECT_LE(chroma, 240u);
            }
        }
    }
}

TEST_F(RawFrameTest, HeadersCarryTheStreamsSizeAndSampling)
{
    const struct {
        ULONG width, height;
        UCHAR sampling;
    } sizes[] = {{640, 480, 0x41}, {320, 240, 0x41}, {176, 144, 0x21}, {160, 120, 0x21}};
    for (const auto& size : sizes) {
        stream(size.width, size.height, kCompressionMjpg);
        const CameraFrame frame = cameraFrame(int(size.width), int(size.height), 48);
        RawRead read = videoFrame(48, frame.scan);
        ASSERT_EQ(convertFrame(context(), read, output).status, STATUS_SUCCESS);
        EXPECT_EQ(sys::readBe16(&output[165]), size.height);
        EXPECT_EQ(sys::readBe16(&output[167]), size.width);
        EXPECT_EQ(output[171], size.sampling);
        // The template itself keeps the full size for the next frame.
        EXPECT_EQ(sys::readBe16(&context()->JpegHeader[165]), 480);
        EXPECT_EQ(sys::readBe16(&context()->JpegHeader[167]), 640);
    }
}

TEST_F(RawFrameTest, Rgb24FramesDecodeBottomUpToTheScene)
{
    for (const auto& [width, height] : {std::pair{160, 120}, std::pair{352, 288}, std::pair{640, 480}}) {
        stream(ULONG(width), ULONG(height), kCompressionRgb24);
        const CameraFrame frame = cameraFrame(width, height, 32);
        RawRead read = videoFrame(32, frame.scan);
        const Converted converted = convertFrame(context(), read, output);
        ASSERT_EQ(converted.status, STATUS_SUCCESS) << width;
        ASSERT_EQ(converted.bytes, ULONG(width * height * 3));
        EXPECT_GT(psnr({output.data(), converted.bytes}, frame.sceneRgb, width, height), 28.0) << width;
    }
    EXPECT_EQ(context()->DeliveredFrames, 3u);
}

TEST_F(RawFrameTest, CorruptAndTruncatedFramesAreDroppedAndTheNextOneDecodes)
{
    stream(320, 240, kCompressionRgb24);
    const CameraFrame good = cameraFrame(320, 240, 64);

    // Scan data the decoder cannot make sense of.
    std::vector<std::uint8_t> noise(4000);
    std::mt19937 random(7);
    for (auto& byte : noise)
        byte = std::uint8_t(random());
    noise.push_back(0xFF);
    noise.push_back(0xD9);
    RawRead corrupt = videoFrame(64, noise);
    Converted converted = convertFrame(context(), corrupt, output);
    EXPECT_EQ(converted.status, STATUS_INSUFFICIENT_RESOURCES);
    EXPECT_EQ(converted.bytes, 0u);

    // A header that claims more than arrived.
    RawRead claims = videoFrame(64, good.scan);
    claims.received -= 100;
    EXPECT_EQ(convertFrame(context(), claims, output).status, STATUS_INSUFFICIENT_RESOURCES);
    // Half the scan data, ended early.
    std::vector<std::uint8_t> cut(good.scan.begin(), good.scan.begin() + std::ptrdiff_t(good.scan.size() / 2));
    cut.push_back(0xFF);
    cut.push_back(0xD9);
    RawRead half = videoFrame(64, cut);
    EXPECT_EQ(convertFrame(context(), half, output).bytes, 0u);
    // Hardly anything at all.
    RawRead tiny = videoFrame(64, good.scan);
    tiny.received = 3;
    EXPECT_EQ(convertFrame(context(), tiny, output).status, STATUS_INSUFFICIENT_RESOURCES);
    // Video frames never carry the camera's picture segment.
    RawRead segment = stillFrame(64, good.scan, true, 0);
    EXPECT_EQ(convertFrame(context(), segment, output).status, STATUS_INSUFFICIENT_RESOURCES);
    EXPECT_EQ(context()->BadFrames, 5u);

    RawRead next = videoFrame(64, good.scan);
    converted = convertFrame(context(), next, output);
    ASSERT_EQ(converted.status, STATUS_SUCCESS);
    EXPECT_GT(psnr({output.data(), converted.bytes}, good.sceneRgb, 320, 240), 28.0);
    EXPECT_EQ(context()->DeliveredFrames, 1u);
}

TEST_F(RawFrameTest, AFrameWithBadPacketsIsDroppedWithoutCountingIt)
{
    stream(320, 240, kCompressionMjpg);
    context()->FrameValid = 0;
    RawRead read = videoFrame(64, cameraFrame(320, 240, 64).scan);
    const Converted converted = convertFrame(context(), read, output, 0);
    EXPECT_EQ(converted.status, STATUS_INSUFFICIENT_RESOURCES);
    EXPECT_EQ(context()->FrameValid, 1u);
    EXPECT_EQ(context()->BadFrames, 0u);
    EXPECT_EQ(context()->DeliveredFrames, 0u);
}

TEST_F(RawFrameTest, AnMjpgFrameTooBigForTheBufferIsDropped)
{
    stream(160, 120, kCompressionMjpg);
    const CameraFrame frame = cameraFrame(160, 120, 64);
    RawRead read = videoFrame(64, frame.scan);
    std::vector<UCHAR> small(read.received + 612);
    EXPECT_EQ(convertFrame(context(), read, small).bytes, 0u);
    std::vector<UCHAR> exact(read.received + 613);
    EXPECT_EQ(convertFrame(context(), read, exact).bytes, exact.size());
}

TEST_F(RawFrameTest, AStoredPictureWithItsSegmentKeepsItBetweenTablesAndScan)
{
    context()->StillMode = 1;
    context()->Width = 640;
    context()->Height = 480;
    context()->PictureCount = 9;
    context()->CurrentPicture = 4;
    const CameraFrame picture = cameraFrame(640, 480, 48, true);
    RawRead read = stillFrame(48, picture.scan, true, 0xFFFF);
    const ULONG length = read.received;
    const std::vector<UCHAR> raw(read.data(), read.data() + length);
    const Converted converted = convertFrame(context(), read, output);
    ASSERT_EQ(converted.status, STATUS_SUCCESS);
    ASSERT_EQ(converted.bytes, length + 613);

    // Tables as for any picture, 2 x 1 sampling, quality, count and number.
    EXPECT_EQ(std::vector<UCHAR>(output.begin(), output.begin() + 12),
              std::vector<UCHAR>(context()->JpegHeader, context()->JpegHeader + 12));
    EXPECT_EQ(output[171], 0x21);
    EXPECT_EQ(output[19], 48);
    EXPECT_EQ(sys::readBe16(&output[20]), 9);
    EXPECT_EQ(sys::readBe16(&output[22]), 4);
    EXPECT_EQ(context()->CurrentPicture, 5u);
    // The segment, restored to a proper APP1 of 510 bytes.
    EXPECT_EQ(std::vector<UCHAR>(output.begin() + 599, output.begin() + 603),
              (std::vector<UCHAR>{0xFF, 0xE1, 0x01, 0xFE}));
    EXPECT_EQ(std::vector<UCHAR>(output.begin() + 603, output.begin() + 1111),
              std::vector<UCHAR>(raw.begin() + 4, raw.begin() + 512));
    // The start of scan, then the scan data from behind the frame header.
    EXPECT_EQ(std::vector<UCHAR>(output.begin() + 1111, output.begin() + 1125),
              std::vector<UCHAR>(context()->JpegHeader + 599, context()->JpegHeader + 613));
    EXPECT_EQ(std::vector<UCHAR>(output.begin() + 1125, output.begin() + 1125 + (length - 516)),
              std::vector<UCHAR>(raw.begin() + 516, raw.end()));
    // Past the frame's end: zeros, not what the buffer held.
    EXPECT_EQ(std::vector<UCHAR>(output.begin() + converted.bytes - 4, output.begin() + converted.bytes),
              std::vector<UCHAR>(4, 0));

    const DecodedFrame decoded = decodeFrame({output.data(), converted.bytes}, 640 * 480 * 3);
    ASSERT_TRUE(decoded.ok);
    EXPECT_GT(psnr(decoded.bgr, picture.sceneRgb, 640, 480), 28.0);
}

TEST_F(RawFrameTest, StoredPicturesAreNumberedFromThePictureTable)
{
    context()->StillMode = 1;
    const CameraFrame picture = cameraFrame(640, 480, 48, true);
    USHORT table[3] = {7, 11, 12};
    context()->PictureTable = table;
    context()->PictureTableSize = 3;
    context()->PictureTableValid = 1;
    context()->CurrentPicture = 2;
    auto numberOf = [&](std::uint16_t index) {
        RawRead read = stillFrame(48, picture.scan, false, index);
        EXPECT_EQ(convertFrame(context(), read, output).status, STATUS_SUCCESS);
        return sys::readBe16(&output[22]);
    };
    EXPECT_EQ(numberOf(1), 11);
    EXPECT_EQ(context()->CurrentPicture, 12u);
    EXPECT_EQ(numberOf(0xFFFF), 12);  // no index: the running number
    EXPECT_EQ(numberOf(3), 13);       // past the table: the running number
    EXPECT_EQ(numberOf(0), 7);
    context()->PictureTable = nullptr;
    context()->PictureTableValid = 0;
    EXPECT_EQ(numberOf(2), 8);
}

TEST_F(RawFrameTest, ASoftwareSnapshotKeepsTheNextGoodFrameAsJpeg)
{
    for (ULONG compression : {kCompressionRgb24, kCompressionMjpg}) {
        stream(320, 240, compression);
        context()->SoftwareSnapshot = 1;
        context()->LastFrameLength = 0;
        RawRead read = videoFrame(64, cameraFrame(320, 240, 64).scan);
        const ULONG length = read.received;
        ASSERT_EQ(convertFrame(context(), read, output).status, STATUS_SUCCESS);
        EXPECT_EQ(context()->SoftwareSnapshot, 0);
        ASSERT_EQ(context()->LastFrameLength, length + 613);
        const std::span<const UCHAR> kept(context()->LastFrame, context()->LastFrameLength);
        EXPECT_EQ(kept[0], 0xFF);
        EXPECT_EQ(kept[1], 0xD8);
        EXPECT_EQ(std::vector<UCHAR>(kept.end() - 4, kept.end()), std::vector<UCHAR>(4, 0));
        const DecodedFrame decoded = decodeFrame(kept, 320 * 240 * 3);
        EXPECT_TRUE(decoded.ok);
    }
    // A frame that does not decode leaves the request pending.
    stream(320, 240, kCompressionMjpg);
    context()->SoftwareSnapshot = 1;
    std::vector<std::uint8_t> noise(3000, 0x5A);
    noise.push_back(0xFF);
    noise.push_back(0xD9);
    RawRead bad = videoFrame(64, noise);
    convertFrame(context(), bad, output);
    EXPECT_EQ(context()->SoftwareSnapshot, 1);
}

TEST_F(RawFrameTest, TheSnapshotButtonMarksThreeFramesThenIsRecorded)
{
    stream(160, 120, kCompressionRgb24);
    const CameraFrame frame = cameraFrame(160, 120, 64);
    writeSetting(u"SnapShot", 0);
    context()->HardwareSnapshot = 1;
    std::vector<int> marks;
    for (int i = 0; i < 6; ++i) {
        RawRead read = videoFrame(64, frame.scan);
        output[0] = 0xFF;
        ASSERT_EQ(convertFrame(context(), read, output).status, STATUS_SUCCESS);
        marks.push_back(output[0] & 1);
    }
    EXPECT_EQ(marks, (std::vector<int>{1, 1, 1, 0, 0, 0}));
    EXPECT_EQ(context()->HardwareSnapshot, 0);
    ULONG recorded = 0;
    ASSERT_EQ(readSettingsDword(context(), nullptr, u"SnapShot", &recorded), STATUS_SUCCESS);
    EXPECT_EQ(recorded, 1u);
}

TEST_F(RawFrameTest, AfterFiveFramesTheCompressionSettingIsSentAgain)
{
    stream(320, 240, kCompressionMjpg);
    const CameraFrame frame = cameraFrame(320, 240, 64);
    wire().clear();
    for (int i = 0; i < 7; ++i) {
        RawRead read = videoFrame(64, frame.scan);
        ASSERT_EQ(convertFrame(context(), read, output).status, STATUS_SUCCESS);
        EXPECT_EQ(wire().writesTo(0x0A00).size(), i < 5 ? 0u : 1u) << i;
    }
    const auto command = wire().writesTo(0x0A00);
    ASSERT_EQ(command.size(), 1u);
    EXPECT_EQ(command[0].bytes.size(), 6u);  // a target size at 320 x 240
}

}  // namespace
}  // namespace qm::morvax::test
