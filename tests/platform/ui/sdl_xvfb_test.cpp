// The SDL backend under a virtual X server: a script run by the sample's own
// process clicks a skinned button, and the dialog's handler sees it.
#include <gtest/gtest.h>
#include <png.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/support/windows_dir.h"

namespace {

std::string findProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

class VirtualDisplay {
public:
    // Starts Xvfb on a free display; it says which once it accepts clients.
    bool start(const std::string& xvfb)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return false;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            execl(xvfb.c_str(), xvfb.c_str(), "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
                  "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        while (poll(&p, 1, 20000) > 0) {
            char c;
            if (read(fds[0], &c, 1) != 1 || c == '\n')
                break;
            number += c;
        }
        close(fds[0]);
        display_ = number.empty() ? std::string() : ":" + number;
        return !display_.empty();
    }
    ~VirtualDisplay()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

int runWithEnvironment(const std::vector<std::string>& args, const std::vector<std::string>& env)
{
    pid_t pid = fork();
    if (pid == 0) {
        for (const std::string& e : env)
            putenv(const_cast<char*>(e.c_str()));
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SdlBackendUnderXvfb, ScriptedClickReachesTheDialogHandler)
{
    const std::string xvfb = findProgram("Xvfb");
    if (xvfb.empty())
        GTEST_SKIP() << "Xvfb is not installed, so there is no display for the SDL backend";
    const std::string timeout = findProgram("timeout");
    ASSERT_FALSE(timeout.empty());
    VirtualDisplay display;
    if (!display.start(xvfb))
        GTEST_SKIP() << "Xvfb did not start a display";

    qm::test::TempDir dir;
    qm::test::writeTextFile(dir.file("click.script"),
                            "wait-window \"UI Sample\"\n"
                            "answer-message-box ok\n"
                            "click \"UI Sample\" 1001\n"
                            "expect-message-box \"skinned button\"\n"
                            "click \"UI Sample\" 2\n");
    const std::string report = dir.file("report.txt");
    const int status = runWithEnvironment(
        {timeout, "60", qm::test::builtTool("uisample"), "--report", report},
        {"DISPLAY=" + display.display(), "QM4200_UI=sdl", "QM4200_UI_SCRIPT=" + dir.file("click.script"),
         "SDL_VIDEODRIVER=x11",
         "LSAN_OPTIONS=suppressions=" + qm::test::sourceFile("tests/platform/ui/lsan_display_libraries.supp")});
    ASSERT_EQ(status, 0);
    const std::string events = qm::test::readTextFile(report);
    EXPECT_NE(events.find("message 1\n"), std::string::npos) << events;
    EXPECT_NE(events.find("quit\n"), std::string::npos) << events;
}

TEST(UiSample, ScreenshotShowsTheDialogHeadless)
{
    qm::test::TempDir dir;
    const std::string shot = dir.file("sample.png");
    ASSERT_EQ(runWithEnvironment({qm::test::builtTool("uisample"), "--screenshot", shot}, {"QM4200_UI=headless"}), 0);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, shot.c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    // The client area takes the background bitmap's size.
    EXPECT_EQ(image.width, 360u);
    EXPECT_EQ(image.height, 220u);
    // The first skinned button has the focus: its focus bitmap's yellow frame.
    const std::size_t corner = (std::size_t(172) * 360 + 20) * 3;
    EXPECT_EQ(rgb[corner], 255);
    EXPECT_EQ(rgb[corner + 1], 220);
    EXPECT_EQ(rgb[corner + 2], 0);
}

}  // namespace
