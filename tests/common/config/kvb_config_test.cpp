#include "common/config/kvb_config.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/windows_dir.h"

namespace qm::config {
namespace {

TEST(KvbConfig, LivesInTheInstallDirectoryWhenItExists)
{
    test::WindowsDir windows;
    EXPECT_EQ(kvbIniPath(), windows.installDirectory() + "/KVB.ini");
    ASSERT_TRUE(writeInt("MAIN", "Camera Type", 0));
    EXPECT_TRUE(std::filesystem::exists(windows.installDirectory() + "/KVB.ini"));
    EXPECT_EQ(readInt("MAIN", "Camera Type", 65535), 0);
}

TEST(KvbConfig, FallsBackToTheTemporaryDirectoryAndFollowsTheDirectoryAtEveryAccess)
{
    test::WindowsDir windows({.installDirectory = false});
    EXPECT_EQ(kvbIniPath(), windows.path() + "/tmp/KVB.ini");
    ASSERT_TRUE(writeText("COMMUNICATION Port", "Port Name", ""));
    EXPECT_EQ(readText("COMMUNICATION Port", "Port Name", "unset"), "");
    EXPECT_EQ(readInt("Baud Rate Speeding", "Baud Rate Mode", 115200), 115200);

    // The install directory appears while the modules are loaded.
    std::filesystem::create_directories(windows.installDirectory());
    EXPECT_EQ(readText("COMMUNICATION Port", "Port Name", "unset"), "unset");
    ASSERT_TRUE(writeInt("Baud Rate Speeding", "Baud Rate Mode", 38400));
    EXPECT_EQ(readInt("Baud Rate Speeding", "Baud Rate Mode", 115200), 38400);

    // ... and disappears again.
    std::filesystem::remove_all(windows.installDirectory());
    EXPECT_EQ(readText("COMMUNICATION Port", "Port Name", "unset"), "");
}

TEST(KvbConfig, TheUsersOwnWindowsDirectoryIsMadeOnFirstUse)
{
    test::TempDir home;
    test::ScopedEnv windir("WINDIR", std::nullopt);
    test::ScopedEnv data("XDG_DATA_HOME", home.path() + "/data");
    const std::string install = home.path() + "/data/qm4200/windows/TWAIN_32/QM4200";
    ASSERT_FALSE(std::filesystem::exists(install));
    EXPECT_EQ(kvbIniPath(), install + "/KVB.ini");
    ASSERT_TRUE(writeInt("MAIN", "Camera Type", 0));
    EXPECT_TRUE(std::filesystem::exists(install + "/KVB.ini"));
}

}  // namespace
}  // namespace qm::config
