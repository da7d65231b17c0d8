// qmvideo's props, stills and snapshot commands in process, on the kernel's
// manual clock: properties listed, read and changed live, settings that
// outlive a run, stored pictures counted, taken, deleted and downloaded,
// and a snapshot of the live video as a bitmap file.
#include "apps/qmvideo/qmvideo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "apps/qmvideo/exit_codes.h"
#include "platform/kernel/registry.h"
#include "tests/apps/qmvideo/tool_run.h"
#include "tests/platform/kernel/sim_fixture.h"
#include "tests/support/windows_dir.h"

namespace qm::qmvideo {
namespace {

using test::ToolRun;

const Command kCommands[] = {kPropsCommand, kStillsCommand, kSnapshotCommand};
constexpr std::uint8_t kEndOfImage[] = {0xFF, 0xD9};

std::vector<std::uint8_t> fileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class DeviceCommands : public qm::test::SimulatedKernelTest {
protected:
    void SetUp() override
    {
        SimulatedKernelTest::SetUp();
        windows_ = std::make_unique<qm::test::WindowsDir>();
        kernel::sim::reloadRegistry();
    }
    void TearDown() override
    {
        SimulatedKernelTest::TearDown();
        windows_.reset();
    }

    static ToolRun run(const std::vector<std::string>& arguments) { return test::runTool(kCommands, arguments); }

    std::unique_ptr<qm::test::WindowsDir> windows_;
    qm::test::TempDir files_;
};

TEST_F(DeviceCommands, ListsEveryPropertyWithItsRangeAndValue)
{
    const ToolRun result = run({"props", "list"});
    ASSERT_EQ(result.exitCode, kExitOk) << result.err;
    EXPECT_NE(result.out.find("procamp    1  get set  0..63  default 48  = 48\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("camera   106      set\n"), std::string::npos);
    EXPECT_NE(result.out.find("camera   210  get set  0..63  default 32  = 32\n"), std::string::npos);
    EXPECT_NE(result.out.find("custom   105      set\n"), std::string::npos);
}

TEST_F(DeviceCommands, ASettingOutlivesTheRunAndADriverReload)
{
    ToolRun set = run({"props", "set", "camera", "210", "50"});
    ASSERT_EQ(set.exitCode, kExitOk) << set.err;
    EXPECT_NE(set.out.find("set camera 210 = 50: success"), std::string::npos) << set.out;
    kernel::sim::reloadRegistry();  // a new run reads the registry file afresh
    ToolRun get = run({"props", "get", "procamp", "0"});
    ASSERT_EQ(get.exitCode, kExitOk) << get.err;
    EXPECT_NE(get.out.find("procamp 0 = 50 (flags 2, capabilities 2)"), std::string::npos) << get.out;
    set = run({"props", "set", "camera", "211", "2"});
    ASSERT_EQ(set.exitCode, kExitOk) << set.err;
    get = run({"props", "get", "camera", "211"});
    EXPECT_NE(get.out.find("camera 211 = 2"), std::string::npos) << get.out;
}

TEST_F(DeviceCommands, BrightnessChangesTheLivePicture)
{
    const ToolRun darker = run({"props", "set", "camera", "210", "0", "--live", "40"});
    ASSERT_EQ(darker.exitCode, kExitOk) << darker.err;
    double before = 0;
    double after = 0;
    const std::size_t at = darker.out.find("picture level ");
    ASSERT_NE(at, std::string::npos) << darker.out;
    ASSERT_EQ(std::sscanf(darker.out.c_str() + at, "picture level %lf before, %lf after", &before, &after), 2);
    EXPECT_LT(after, before - 10) << darker.out;
}

TEST_F(DeviceCommands, RefusedPropertiesAndWrongCommandLines)
{
    EXPECT_EQ(run({"props"}).exitCode, kExitUsage);
    EXPECT_EQ(run({"props", "get", "nowhere", "1"}).exitCode, kExitUsage);
    EXPECT_EQ(run({"props", "set", "camera", "210"}).exitCode, kExitUsage);
    EXPECT_EQ(run({"props", "set", "camera", "210", "5", "--live"}).exitCode, kExitUsage);
    const ToolRun refused = run({"props", "set", "camera", "204", "99"});
    EXPECT_EQ(refused.exitCode, kExitFailed);
    EXPECT_NE(refused.out.find("0xC000000D"), std::string::npos) << refused.out;
    const ToolRun notGettable = run({"props", "get", "camera", "214"});
    EXPECT_EQ(notGettable.exitCode, kExitFailed);
    EXPECT_EQ(run({"stills"}).exitCode, kExitUsage);
    EXPECT_EQ(run({"stills", "delete", "first"}).exitCode, kExitUsage);
    // An output directory that cannot be made is a failure, not a usage error.
    qm::test::writeTextFile(files_.file("plain"), "a file, not a directory");
    const ToolRun blocked = run({"stills", "download", files_.file("plain/pictures")});
    EXPECT_EQ(blocked.exitCode, kExitFailed);
    EXPECT_NE(blocked.err.find("cannot create the directory " + files_.file("plain/pictures")), std::string::npos)
        << blocked.err;
    EXPECT_EQ(run({"snapshot"}).exitCode, kExitUsage);
    EXPECT_EQ(run({"snapshot", files_.file("x.bmp"), "--format", "10"}).exitCode, kExitUsage);
}

TEST_F(DeviceCommands, StoredPicturesAreCountedTakenDeletedAndDownloaded)
{
    // The download directory is made when missing.
    const std::string directory = files_.file("new/pictures");
    const ToolRun result =
        run({"stills", "--pictures", "4", "count", "take", "delete", "1", "count", "download", directory});
    ASSERT_EQ(result.exitCode, kExitOk) << result.err << result.out;
    EXPECT_NE(result.out.find("4 pictures stored, room for 316 more"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("picture taken"), std::string::npos);
    EXPECT_NE(result.out.find("picture 1 deleted"), std::string::npos);
    EXPECT_NE(result.out.find("4 pictures downloaded"), std::string::npos);
    for (unsigned number = 1; number <= 4; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "picture_%04u.jpg", number);
        const std::vector<std::uint8_t> jpeg = fileBytes(directory + "/" + name);
        ASSERT_GT(jpeg.size(), 613u) << name;
        EXPECT_EQ(jpeg[0], 0xFF);
        EXPECT_EQ(jpeg[1], 0xD8);
        EXPECT_EQ(jpeg[23], number);  // the number the driver put in the file
        const auto end = std::search(jpeg.end() - 16, jpeg.end(), std::begin(kEndOfImage), std::end(kEndOfImage));
        EXPECT_NE(end, jpeg.end()) << name;
    }
}

TEST_F(DeviceCommands, ASnapshotOfTheLiveVideoBecomesABitmapFile)
{
    const std::string path = files_.file("snap.bmp");
    const ToolRun result = run({"snapshot", path, "--format", "4"});
    ASSERT_EQ(result.exitCode, kExitOk) << result.err;
    EXPECT_NE(result.out.find("snapshot 640 x 480"), std::string::npos) << result.out;
    const std::vector<std::uint8_t> bmp = fileBytes(path);
    ASSERT_EQ(bmp.size(), 54u + 640 * 480 * 3);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
}

}  // namespace
}  // namespace qm::qmvideo
