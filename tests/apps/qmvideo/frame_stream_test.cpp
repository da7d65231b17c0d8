// Frames as one stream for standard players: the YUV4MPEG2 header and
// planes, and what the stream refuses.
#include "apps/qmvideo/frame_stream.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/apps/qmvideo/tool_run.h"

namespace qm::qmvideo {
namespace {

VideoFormat format(long width, long height, bool mjpg)
{
    VideoFormat video;
    video.valid = true;
    video.mjpg = mjpg;
    video.width = width;
    video.height = height;
    video.bitCount = 24;
    return video;
}

// A bottom-up BGR image of width 2, height 2 (rows of 6 bytes padded to 8):
// bottom row blue, white; top row red, black.
const std::vector<std::uint8_t> kTwoByTwo = {
    255, 0, 0, 255, 255, 255, 0, 0,  // bottom: blue, white
    0, 0, 255, 0, 0, 0, 0, 0,        // top: red, black
};

TEST(FrameStream, Rgb24FramesBecomeStudioRangeYCbCrPlanesTopRowFirst)
{
    EXPECT_EQ(yuv4mpegHeader(320, 240, 30), "YUV4MPEG2 W320 H240 F30:1 Ip A1:1 C444\n");
    EXPECT_EQ(yuv4mpegHeader(2, 2, 0), "YUV4MPEG2 W2 H2 F1:1 Ip A1:1 C444\n");

    const std::vector<std::uint8_t> frame = yuv4mpegFrame(2, 2, kTwoByTwo);
    ASSERT_EQ(frame.size(), 6u + 12u);
    EXPECT_EQ(std::memcmp(frame.data(), "FRAME\n", 6), 0);
    const std::uint8_t* y = frame.data() + 6;
    const std::uint8_t* cb = y + 4;
    const std::uint8_t* cr = cb + 4;
    // Top row first: red, black, then blue, white.
    EXPECT_EQ(std::vector<int>(y, y + 4), (std::vector<int>{82, 16, 41, 235}));
    EXPECT_EQ(std::vector<int>(cb, cb + 4), (std::vector<int>{90, 128, 240, 128}));
    EXPECT_EQ(std::vector<int>(cr, cr + 4), (std::vector<int>{240, 128, 110, 128}));

    // Anything but a whole padded image of that size is refused.
    EXPECT_TRUE(yuv4mpegFrame(2, 2, std::vector<std::uint8_t>(12)).empty());
    EXPECT_TRUE(yuv4mpegFrame(2, 2, std::vector<std::uint8_t>(17)).empty());
    EXPECT_TRUE(yuv4mpegFrame(0, 2, {}).empty());
    // A size whose byte count wraps around to that of an empty frame.
    EXPECT_TRUE(yuv4mpegFrame(1L << 62, 4, {}).empty());
}

TEST(FrameStream, WritesTheHeaderOnceAndRefusesFramesOfAnotherKind)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        FrameStream rgb(file, format(2, 2, false), 15);
        ASSERT_TRUE(rgb.write(kTwoByTwo));
        ASSERT_TRUE(rgb.write(kTwoByTwo));
        EXPECT_FALSE(rgb.write(std::vector<std::uint8_t>(5)));
        EXPECT_NE(rgb.problem().find("5 bytes"), std::string::npos) << rgb.problem();
    }
    const std::string header = "YUV4MPEG2 W2 H2 F15:1 Ip A1:1 C444\n";
    const std::string written = test::contentsOf(file);
    ASSERT_EQ(written.size(), header.size() + 2 * 18);
    EXPECT_EQ(written.substr(0, header.size()), header);
    EXPECT_EQ(written.substr(header.size() + 18, 6), "FRAME\n");

    // MJPG frames go out as they came, one JPEG after another.
    std::FILE* jpegs = std::tmpfile();
    ASSERT_NE(jpegs, nullptr);
    FrameStream mjpg(jpegs, format(2, 2, true), 30);
    const std::vector<std::uint8_t> jpeg = {0xFF, 0xD8, 1, 2, 0xFF, 0xD9};
    EXPECT_TRUE(mjpg.write(jpeg));
    EXPECT_TRUE(mjpg.write(jpeg));
    EXPECT_FALSE(mjpg.write(kTwoByTwo));
    EXPECT_EQ(test::contentsOf(jpegs).size(), 12u);
}

TEST(FrameStream, AFailedWriteSaysWhy)
{
    std::FILE* full = std::fopen("/dev/full", "w");
    if (full == nullptr)
        GTEST_SKIP() << "no /dev/full";
    FrameStream stream(full, format(2, 2, true), 30);
    EXPECT_FALSE(stream.write(std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0xD9}));
    EXPECT_NE(stream.problem().find("cannot write to standard output"), std::string::npos) << stream.problem();
    std::fclose(full);
}

}  // namespace
}  // namespace qm::qmvideo
