// qmvideo in process: the formats listing, a capture written to files, the
// live preview, and the command lines it refuses.
#include "apps/qmvideo/qmvideo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "apps/qmvideo/exit_codes.h"
#include "platform/kernel/registry.h"
#include "tests/apps/qmvideo/tool_run.h"
#include "tests/support/windows_dir.h"

namespace qm::qmvideo {
namespace {

using test::ToolRun;

// The commands these tests run.
const Command kCommands[] = {kFormatsCommand, kCaptureCommand, kPreviewCommand};

ToolRun run(const std::vector<std::string>& arguments) { return test::runTool(kCommands, arguments); }

class Qmvideo : public ::testing::Test {
protected:
    void SetUp() override { kernel::sim::reloadRegistry(); }

    qm::test::WindowsDir windows_;
    qm::test::TempDir frames_;
};

TEST_F(Qmvideo, ListsBothStreamsAndTheirFormats)
{
    const ToolRun result = run({"formats"});
    ASSERT_EQ(result.exitCode, kExitOk) << result.err;
    EXPECT_NE(result.out.find("stream 0 (capture): 10 formats"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("stream 1 (still): 1 format\n"), std::string::npos);
    EXPECT_NE(result.out.find("0: RGB24 320 x 240, 24 bits, 230400 bytes a frame"), std::string::npos);
    EXPECT_NE(result.out.find("9: MJPG 640 x 480"), std::string::npos);
}

TEST_F(Qmvideo, CapturesTheAskedNumberOfFramesIntoFiles)
{
    const ToolRun result = run({"capture", "--format", "6", "--frames", "3", "--clock", "--out", frames_.path()});
    ASSERT_EQ(result.exitCode, kExitOk) << result.err;
    EXPECT_NE(result.out.find("stream 0: MJPG 160 x 120"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("3 frames in"), std::string::npos);
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(frames_.path()))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].substr(0, 11), "frame_0001.");
    EXPECT_EQ(files[2].substr(0, 11), "frame_0003.");
    for (const std::string& file : files)
        EXPECT_GT(std::filesystem::file_size(frames_.file(file)), 4u);
}

TEST_F(Qmvideo, ShowsTheStreamInAWindowAndWritesItsScreenshot)
{
    const std::string png = frames_.file("preview.png");
    const ToolRun result = run({"preview", "--format", "1", "--frames", "4", "--awb", "--screenshot", png});
    ASSERT_EQ(result.exitCode, kExitOk) << result.err;
    EXPECT_NE(result.out.find("stream 0: RGB24 160 x 120"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("4 frames in"), std::string::npos);
    // Every frame reports the white-balance gains.
    EXPECT_NE(result.out.find("frame 4: 57600 bytes"), std::string::npos);
    EXPECT_NE(result.out.find("gains "), std::string::npos);
    ASSERT_TRUE(std::filesystem::exists(png));
    EXPECT_GT(std::filesystem::file_size(png), 1000u);

    // MJPG frames are shown too.
    const ToolRun mjpg = run({"preview", "--format", "6", "--frames", "2"});
    EXPECT_EQ(mjpg.exitCode, kExitOk) << mjpg.err;
    EXPECT_EQ(mjpg.err.find("cannot be shown"), std::string::npos) << mjpg.err;
}

TEST_F(Qmvideo, RefusesWhatItCannotDo)
{
    EXPECT_EQ(run({}).exitCode, kExitUsage);
    EXPECT_EQ(run({"record"}).exitCode, kExitUsage);
    EXPECT_EQ(run({"capture", "--frames", "many"}).exitCode, kExitUsage);
    EXPECT_EQ(run({"capture", "--out", frames_.file("missing")}).exitCode, kExitUsage);
    const ToolRun noFormat = run({"capture", "--format", "42"});
    EXPECT_EQ(noFormat.exitCode, kExitUsage);
    EXPECT_NE(noFormat.err.find("stream 0 has no format 42"), std::string::npos) << noFormat.err;
    EXPECT_EQ(run({"preview", "--screenshot"}).exitCode, kExitUsage);
    EXPECT_EQ(run({"formats", "extra"}).exitCode, kExitUsage);
    EXPECT_EQ(run({"--driver", frames_.file("none.so"), "formats"}).exitCode, kExitNoDriver);
}

}  // namespace
}  // namespace qm::qmvideo
