// qmvideo's frames on standard output, read by ffprobe as a player would
// read them: 30 frames of every capture format at the format's size.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>

#include "tests/support/clean_run.h"
#include "tests/support/windows_dir.h"

namespace qm::qmvideo {
namespace {

struct Listed {
    bool mjpg = false;
    int width = 0;
    int height = 0;
};

// The capture pin's formats as "qmvideo formats" lists them.
std::map<int, Listed> captureFormats(const qm::test::Environment& environment)
{
    std::map<int, Listed> formats;
    const qm::test::Finished listing =
        qm::test::runClean(qm::test::builtTool("qmvideo"), {"formats"}, environment, 120);
    std::istringstream lines(listing.out);
    const std::regex format(R"(^  (\d+): (RGB24|MJPG) (\d+) x (\d+),)");
    bool capturePin = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("stream ", 0) == 0)
            capturePin = line.rfind("stream 0 ", 0) == 0;
        std::smatch match;
        if (capturePin && std::regex_search(line, match, format))
            formats[std::stoi(match[1])] = {match[2] == "MJPG", std::stoi(match[3]), std::stoi(match[4])};
    }
    return formats;
}

// The environment of the test (a private W) plus where the tools live.
qm::test::Environment inherited()
{
    qm::test::Environment environment;
    for (const char* name : {"WINDIR", "TMPDIR", "HOME", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
        if (const char* value = std::getenv(name))
            environment[name] = value;
    environment["PATH"] = "/usr/bin:/bin";
    return environment;
}

TEST(QmvideoStream, FfprobeReadsThirtyFramesOfEveryCaptureFormat)
{
    ASSERT_TRUE(std::system("command -v ffprobe >/dev/null 2>&1") == 0) << "ffprobe is missing (scripts/setup)";
    qm::test::WindowsDir windows;
    const qm::test::Environment environment = inherited();
    const std::map<int, Listed> formats = captureFormats(environment);
    ASSERT_EQ(formats.size(), 10u);

    // The rate does not change the stream; a modest one keeps a sanitizer
    // build on a busy machine from falling behind the camera.
    for (const auto& [index, listed] : formats) {
        SCOPED_TRACE("format " + std::to_string(index));
        const std::string command = "'" + qm::test::builtTool("qmvideo") + "' capture --format " +
                                    std::to_string(index) +
                                    " --fps 5 --frames 30 --out - | ffprobe -v error -count_frames -select_streams v:0"
                                    " -show_entries stream=codec_name,width,height,nb_read_frames"
                                    " -of default=noprint_wrappers=1 -";
        const qm::test::Finished probe = qm::test::runShell(command, environment, 120);
        ASSERT_EQ(probe.exitCode, 0) << probe.err;
        EXPECT_NE(probe.out.find(listed.mjpg ? "codec_name=mjpeg" : "codec_name=rawvideo"), std::string::npos)
            << probe.out;
        EXPECT_NE(probe.out.find("width=" + std::to_string(listed.width) + "\n"), std::string::npos) << probe.out;
        EXPECT_NE(probe.out.find("height=" + std::to_string(listed.height) + "\n"), std::string::npos) << probe.out;
        EXPECT_NE(probe.out.find("nb_read_frames=30\n"), std::string::npos) << probe.out;
        // The report went to standard error, beside the frames.
        EXPECT_NE(probe.err.find("30 frames in"), std::string::npos) << probe.err;
    }
}

}  // namespace
}  // namespace qm::qmvideo
