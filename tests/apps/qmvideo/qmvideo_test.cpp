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

// A failure is one line on standard error naming its cause.
void expectOneLine(const ToolRun& result, const std::string& cause)
{
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_NE(result.err.find(cause), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("usage:"), std::string::npos) << result.err;
}

TEST_F(Qmvideo, RefusesWhatItCannotDoInOneLine)
{
    const ToolRun nothing = run({});
    EXPECT_EQ(nothing.exitCode, kExitUsage);
    EXPECT_NE(nothing.err.find("usage: qmvideo"), std::string::npos) << "nothing asked: the usage";
    const ToolRun unknown = run({"--bogus", "formats"});
    EXPECT_EQ(unknown.exitCode, kExitUsage);
    expectOneLine(unknown, "unknown option --bogus");
    expectOneLine(run({"record"}), "unknown command: record");
    EXPECT_EQ(run({"capture", "--frames", "many"}).exitCode, kExitUsage);
    const ToolRun noFormat = run({"capture", "--format", "42"});
    EXPECT_EQ(noFormat.exitCode, kExitUsage);
    expectOneLine(noFormat, "stream 0 has no format 42");
    EXPECT_EQ(run({"preview", "--screenshot"}).exitCode, kExitUsage);
    EXPECT_EQ(run({"formats", "extra"}).exitCode, kExitUsage);
    EXPECT_EQ(run({"preview", "--out", "-"}).exitCode, kExitUsage);

    // The help documents every exit status.
    const ToolRun help = run({"--help"});
    EXPECT_EQ(help.exitCode, kExitOk);
    for (const char* status : {"  0  done", "  1  the driver refused", "  2  the command line", "  3  the driver did"})
        EXPECT_NE(help.out.find(status), std::string::npos) << status;
}

TEST_F(Qmvideo, SaysWhichDriverFailedToLoadAndWhy)
{
    const ToolRun missing = run({"--driver", frames_.file("none.so"), "formats"});
    EXPECT_EQ(missing.exitCode, kExitNoDriver);
    expectOneLine(missing, "cannot load the driver " + frames_.file("none.so") +
                               " (from --driver): cannot open shared object file");

    qm::test::ScopedEnv named("QM4200_VIDEO_DRIVER", frames_.file("elsewhere.so"));
    const ToolRun fromEnvironment = run({"formats"});
    EXPECT_EQ(fromEnvironment.exitCode, kExitNoDriver);
    expectOneLine(fromEnvironment, "elsewhere.so (from $QM4200_VIDEO_DRIVER)");
    // The option comes before the environment.
    EXPECT_EQ(run({"--driver", qm::test::builtLibrary("libmorvax.so"), "formats"}).exitCode, kExitOk);
}

TEST_F(Qmvideo, MakesMissingOutputDirectoriesAndNamesOnesItCannotMake)
{
    const std::string nested = frames_.file("new/deeper");
    const ToolRun made = run({"capture", "--format", "6", "--frames", "2", "--out", nested});
    ASSERT_EQ(made.exitCode, kExitOk) << made.err;
    EXPECT_TRUE(std::filesystem::exists(nested + "/frame_0002.jpg"));

    qm::test::writeTextFile(frames_.file("plain"), "a file, not a directory");
    const ToolRun blocked = run({"capture", "--frames", "2", "--out", frames_.file("plain/frames")});
    EXPECT_EQ(blocked.exitCode, kExitFailed);
    expectOneLine(blocked, "cannot create the directory " + frames_.file("plain/frames"));
}

TEST_F(Qmvideo, TheStillPinTakesAPictureWhenThereIsNoneAndNeverWaitsForMore)
{
    const ToolRun still = run({"capture", "--stream", "1", "--frames", "3", "--out", frames_.path()});
    ASSERT_EQ(still.exitCode, kExitOk) << still.err;
    EXPECT_NE(still.err.find("the camera holds no picture; taking one"), std::string::npos) << still.err;
    EXPECT_NE(still.err.find("the still pin has 1 picture to read"), std::string::npos) << still.err;
    EXPECT_NE(still.out.find("1 frames in"), std::string::npos) << still.out;
    EXPECT_TRUE(std::filesystem::exists(frames_.file("frame_0001.jpg")));
}

TEST_F(Qmvideo, StreamsFramesToStandardOutputAndTheReportToStandardError)
{
    const ToolRun mjpg = run({"capture", "--format", "6", "--frames", "3", "--out", "-"});
    ASSERT_EQ(mjpg.exitCode, kExitOk) << mjpg.err;
    ASSERT_GE(mjpg.out.size(), 4u);
    EXPECT_EQ(std::uint8_t(mjpg.out[0]), 0xFF);
    EXPECT_EQ(std::uint8_t(mjpg.out[1]), 0xD8);
    const std::string startOfImage = "\xFF\xD8\xFF";
    std::size_t images = 0;
    for (std::size_t at = mjpg.out.find(startOfImage); at != std::string::npos; at = mjpg.out.find(startOfImage, at + 1))
        ++images;
    EXPECT_EQ(images, 3u);
    EXPECT_NE(mjpg.err.find("3 frames in"), std::string::npos) << mjpg.err;
    EXPECT_EQ(mjpg.err.find("frame 1:"), std::string::npos) << "no line per frame";

    const ToolRun rgb = run({"capture", "--format", "1", "--frames", "2", "--fps", "15", "--out", "-"});
    ASSERT_EQ(rgb.exitCode, kExitOk) << rgb.err;
    const std::string header = "YUV4MPEG2 W160 H120 F15:1 Ip A1:1 C444\n";
    ASSERT_EQ(rgb.out.size(), header.size() + 2 * (6 + 160 * 120 * 3));
    EXPECT_EQ(rgb.out.substr(0, header.size()), header);
}

}  // namespace
}  // namespace qm::qmvideo
