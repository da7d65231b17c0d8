// Live video through the adapter host, the driver and the simulated camera:
// frames decode to what the camera saw, MJPG frames are JPEG files a
// standard decoder reads as they are, the compression schedule, damaged
// frames, and what capture start and paging out program.
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include "tests/videodriver/camera/support/camera_on_bus.h"
#include "tests/videodriver/camera/support/scene_reference.h"
#include "tests/videodriver/driver/rig/video_rig.h"
#include "tests/videodriver/jpeg/camera_frames.h"

namespace qm::morvax::test {
namespace {

struct Size {
    int width, height;
    // The camera's compression keeps the decoded frame this close to the
    // scene it saw (in dB): coarsest at the two small sizes, where it keeps
    // frames near a target size.
    double leastPsnr;
};
// The formats of the capture pin in the default order: 320 x 240 first in
// each group of five.
constexpr Size kSizes[5] = {{320, 240, 38}, {160, 120, 26}, {176, 144, 26}, {352, 288, 38}, {640, 480, 38}};
constexpr ULONG kMjpgGroup = 5;

// A frame together with the camera state that made it.
struct SteadyFrame {
    CompletedRead read;
    CameraState state;
};

class FramePath : public VideoRig {
protected:
    // Reads frames one at a time until exposure has settled (the camera's
    // registers stayed the same across three frames) and returns the last.
    std::optional<SteadyFrame> steadyFrame(Stream& stream, ULONG extent)
    {
        std::vector<CameraState> states;
        for (int frame = 0; frame < 120; ++frame) {
            stream.queueRead(extent);
            auto read = stream.waitForRead(kWaitLimitMs);
            if (!read || read->status != STATUS_SUCCESS)
                return std::nullopt;
            states.push_back(cameraState(camera()));
            const std::size_t n = states.size();
            if (n >= 8 && states[n - 1] == states[n - 2] && states[n - 2] == states[n - 3])
                return SteadyFrame{std::move(*read), states.back()};
        }
        return std::nullopt;
    }
};

TEST_F(FramePath, Rgb24FramesDecodeToWhatTheCameraSawAtEverySize)
{
    for (ULONG index = 0; index < 5; ++index) {
        const Size size = kSizes[index];
        SCOPED_TRACE(size.width);
        auto stream = openRunning(kCaptureStream, index);
        ASSERT_TRUE(stream);
        const ULONG extent = imageSize(formatFor(kCaptureStream, index));
        auto frame = steadyFrame(*stream, extent);
        ASSERT_TRUE(frame);
        ASSERT_EQ(frame->read.data.size(), std::size_t(size.width * size.height * 3));
        const auto seen = sceneAsSeen(RigOptions::quietCamera(), frame->state, size.width, size.height);
        const double quality = psnr(frame->read.data, seen, size.width, size.height);
        EXPECT_GT(quality, size.leastPsnr);
        RecordProperty("psnr" + std::to_string(size.width), std::to_string(quality));
        EXPECT_EQ(stream->setState(KSSTATE_STOP), STATUS_SUCCESS);
        EXPECT_EQ(stream->close(), STATUS_SUCCESS);
    }
}

TEST_F(FramePath, MjpgFramesAreJpegFilesAStandardDecoderReadsAsTheyAre)
{
    tjhandle decoder = tjInitDecompress();
    ASSERT_NE(decoder, nullptr);
    for (ULONG index = 0; index < 5; ++index) {
        const Size size = kSizes[index];
        SCOPED_TRACE(size.width);
        auto stream = openRunning(kCaptureStream, kMjpgGroup + index);
        ASSERT_TRUE(stream);
        const ULONG extent = imageSize(formatFor(kCaptureStream, kMjpgGroup + index));
        auto frame = steadyFrame(*stream, extent);
        ASSERT_TRUE(frame);
        std::vector<unsigned char>& jpeg = frame->read.data;
        int width = 0, height = 0, subsampling = 0, colourspace = 0;
        ASSERT_EQ(tjDecompressHeader3(decoder, jpeg.data(), jpeg.size(), &width, &height, &subsampling,
                                      &colourspace),
                  0)
            << tjGetErrorStr2(decoder);
        EXPECT_EQ(width, size.width);
        EXPECT_EQ(height, size.height);
        // Bottom-up BGR, as the RGB24 frames come.
        std::vector<unsigned char> bgr(std::size_t(width * height * 3));
        ASSERT_EQ(tjDecompress2(decoder, jpeg.data(), jpeg.size(), bgr.data(), width, 0, height, TJPF_BGR,
                                TJFLAG_BOTTOMUP),
                  0)
            << tjGetErrorStr2(decoder);
        const auto seen = sceneAsSeen(RigOptions::quietCamera(), frame->state, width, height);
        EXPECT_GT(psnr(bgr, seen, width, height), size.leastPsnr);
        stream.reset();
    }
    tjDestroy(decoder);
}

TEST_F(FramePath, DamagedFramesAreDroppedAndTheReadsGetTheNextWholeOne)
{
    auto stream = openRunning(kCaptureStream, 0);
    ASSERT_TRUE(stream);
    const ULONG extent = imageSize(formatFor(kCaptureStream, 0));
    stream->queueRead(extent);
    ASSERT_TRUE(stream->waitForRead(kWaitLimitMs));
    for (dualcam::Fault fault : {dualcam::Fault::WrongCount, dualcam::Fault::PacketError,
                                 dualcam::Fault::ShortPacket, dualcam::Fault::MissingTrailer}) {
        const std::uint32_t sentBefore = camera().framesSent();
        camera().injectFault(fault);
        stream->queueRead(extent);
        auto read = stream->waitForRead(kWaitLimitMs);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->status, STATUS_SUCCESS);
        EXPECT_EQ(read->data.size(), extent);
        // The damaged frame went by without a read.
        EXPECT_GE(camera().framesSent() - sentBefore, 2u) << int(fault);
    }
}

class CompressionSchedule : public VideoRig {
protected:
    RigOptions rigOptions() override
    {
        RigOptions options;
        camera_ = std::make_shared<dualcam::DualCamera>(RigOptions::quietCamera());
        recorder_ = std::make_shared<RecordingCamera>(camera_);
        options.device = recorder_;
        return options;
    }
    std::shared_ptr<dualcam::DualCamera> camera_;
    std::shared_ptr<RecordingCamera> recorder_;
};

TEST_F(CompressionSchedule, TheSixthFrameFollowsASecondCompressionCommand)
{
    auto stream = openRunning(kCaptureStream, kMjpgGroup + 4);  // 640 x 480 MJPG
    ASSERT_TRUE(stream);
    const ULONG extent = imageSize(formatFor(kCaptureStream, kMjpgGroup + 4));
    std::vector<int> qualities;
    for (int frame = 1; frame <= 10; ++frame) {
        stream->queueRead(extent);
        auto read = stream->waitForRead(kWaitLimitMs);
        ASSERT_TRUE(read);
        ASSERT_EQ(read->status, STATUS_SUCCESS);
        qualities.push_back(read->data[19]);
        // Loading the default image writes 0A00 too, as part of its 0A00 row.
        std::vector<RegisterWrite> commands;
        for (const RegisterWrite& write : recorder_->writesTo(0x0A00))
            if (write.bytes.size() == 1)
                commands.push_back(write);
        // The start-up quality at capture start, the camera's own after five frames.
        ASSERT_EQ(commands.size(), frame < 6 ? 1u : 2u) << frame;
        EXPECT_EQ(commands[0].bytes, std::vector<UCHAR>{0x7F});
        if (frame >= 6) {
            // 640 x 480 at 15 frames a second on the first alternate setting.
            EXPECT_EQ(commands[1].bytes, std::vector<UCHAR>{48});
        }
    }
    EXPECT_EQ(qualities.front(), 127);
    EXPECT_EQ(qualities.back(), 48);
}

class CaptureStart : public VideoRig {};

TEST_F(CaptureStart, ProgramsThePictureControlsAndRuns)
{
    auto stream = openRunning(kCaptureStream, 0);  // 320 x 240 RGB24
    ASSERT_TRUE(stream);
    EXPECT_EQ(camera().registerValue(0x0410) & 0x3F, 0x3E);  // run and video mode
    EXPECT_EQ((camera().registerValue(0x1000) >> 2) & 7, 3);
    EXPECT_EQ(camera().registerValue(0x100B), 20);
    EXPECT_EQ(camera().registerValue(0x100D), 17);
    EXPECT_EQ(camera().registerValue(0x100C), 18);
    EXPECT_EQ(camera().registerValue(0x1003) & 0x1F, 12);
    EXPECT_EQ(camera().registerValue(0x100F), 22);
    // Contrast 48 on the first curve, without a ceiling.
    EXPECT_EQ(camera().registerValue(0x1042), 24);
    EXPECT_EQ(camera().registerValue(0x1051), 255);
    // The AWB window covers the frame.
    EXPECT_EQ(camera().registerValue(0x1087) | camera().registerValue(0x1088) << 8, 319);
    EXPECT_EQ(camera().registerValue(0x108B) | camera().registerValue(0x108C) << 8, 239);

    // Stopping puts the default image back, and so does paging out.
    EXPECT_EQ(stream->setState(KSSTATE_STOP), STATUS_SUCCESS);
    EXPECT_EQ(stream->close(), STATUS_SUCCESS);
    EXPECT_EQ(camera().registerValue(0x0410), 0xB8);
    EXPECT_EQ(camera().registerValue(0x100B), 0x10);
    camera().writeRegisters(0x100E, std::vector<std::uint8_t>{0x3F});
    ASSERT_EQ(host().pageOut(), STATUS_SUCCESS);
    EXPECT_EQ(camera().registerValue(0x100E), 0x08);
}

}  // namespace
}  // namespace qm::morvax::test
