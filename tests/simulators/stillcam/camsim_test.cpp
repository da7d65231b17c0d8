// camsim: its command line, and a run of the real program.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "apps/camsim/options.h"
#include "tests/simulators/stillcam/camera_host.h"
#include "tests/support/temp_dir.h"
#include "tests/support/windows_dir.h"

namespace qm::stillcam::test {
namespace {

std::optional<camsim::Options> parse(std::vector<std::string> args, std::string* error = nullptr)
{
    std::string message;
    auto options = camsim::parseOptions(args, message);
    if (error)
        *error = message;
    return options;
}

TEST(Camsim, CommandLine)
{
    qm::test::ScopedEnv socket("QM4200_USB", "/tmp/cable-for-test");
    auto defaults = parse({});
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->usbProduct, kProduct2620);
    EXPECT_FALSE(defaults->serialPort);
    EXPECT_EQ(defaults->socketPath, "/tmp/cable-for-test");
    EXPECT_TRUE(defaults->camera.pacing);
    EXPECT_EQ(defaults->camera.model, 16);

    auto serial = parse({"--serial", "2", "--model", "22", "--rate", "38400", "--pacing", "off", "--faults",
                         "silent cmd=erase", "--firmware", "v3.25", "--memory-mb", "8"});
    ASSERT_TRUE(serial);
    EXPECT_EQ(serial->serialPort, 2);
    EXPECT_FALSE(serial->usbProduct);  // serial only
    EXPECT_EQ(serial->camera.model, 22);
    EXPECT_EQ(serial->camera.serialRate, 38400u);
    EXPECT_FALSE(serial->camera.pacing);
    EXPECT_NE(serial->camera.faultScript.find("silent"), std::string::npos);
    EXPECT_EQ(serial->camera.memoryBytes, 8u << 20);

    auto both = parse({"--serial", "1", "--usb", "0x2888", "--socket", "/x"});
    ASSERT_TRUE(both);
    EXPECT_EQ(both->usbProduct, kProduct2888);
    EXPECT_EQ(both->socketPath, "/x");

    std::string error;
    for (std::vector<std::string> bad : {std::vector<std::string>{"--model"}, {"--model", "x16"}, {"--pacing", "maybe"},
                                         {"--memory-mb", "0"}, {"--frobnicate"}, {"--fault-file", "/no/such/file"}}) {
        EXPECT_FALSE(parse(bad, &error)) << bad[0];
        EXPECT_FALSE(error.empty());
    }
}

// Reads camsim's output up to a line containing the text.
bool readUntil(std::FILE* out, const std::string& text, std::string& seen)
{
    char line[512];
    while (std::fgets(line, sizeof line, out) != nullptr) {
        seen += line;
        if (std::string(line).find(text) != std::string::npos)
            return true;
    }
    return false;
}

TEST(Camsim, RunsACameraUntilInterruptedAndCleansUp)
{
    qm::test::TempDir dir;
    const std::string socket = dir.file("usb"), ready = dir.file("ready"), windows = dir.file("W");
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        const std::string tool = qm::test::builtTool("camsim");
        ::execl(tool.c_str(), "camsim", "--usb", "--socket", socket.c_str(), "--serial", "4", "--windows-dir",
                windows.c_str(), "--ready-file", ready.c_str(), "--pacing", "off", "--count", "2", nullptr);
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    std::FILE* out = ::fdopen(pipeFds[0], "r");
    std::string seen;
    ASSERT_TRUE(readUntil(out, "on COM4", seen)) << seen;
    EXPECT_NE(seen.find("2 pictures"), std::string::npos);
    EXPECT_NE(qm::test::readTextFile(ready).find("usb=" + socket), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_symlink(windows + "/dosdevices/com4"));

    CableHost host(socket);
    EXPECT_EQ(host.exchange(request({CMD_ERASE, 1, 0}), 6), (Bytes{0x40, 0x03, 0x00, 0x89, 0x01, 0x8A}));
    EXPECT_TRUE(readUntil(out, "CMD_ERASE picture 1", seen)) << seen;

    ::kill(child, SIGTERM);
    EXPECT_TRUE(readUntil(out, "stopped by SIGTERM", seen)) << seen;
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::fclose(out);
    EXPECT_FALSE(std::filesystem::exists(socket));
    EXPECT_FALSE(std::filesystem::exists(ready));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(windows + "/dosdevices/com4")));
}

}  // namespace
}  // namespace qm::stillcam::test
