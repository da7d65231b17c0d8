#include "platform/system/directories.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/system/files.h"
#include "tests/support/temp_dir.h"

namespace qm::sys {
namespace {

TEST(Directories, WindowsDirectoryComesFromWindirElseTheDataHome)
{
    {
        test::ScopedEnv windir("WINDIR", "/opt/win/");
        EXPECT_EQ(windowsDirectory(), "/opt/win");
        char buffer[MAX_PATH];
        EXPECT_EQ(GetWindowsDirectory(buffer, sizeof buffer), 8u);
        EXPECT_STREQ(buffer, "/opt/win");
        char tiny[4];
        EXPECT_EQ(GetWindowsDirectory(tiny, sizeof tiny), 9u);
    }
    test::ScopedEnv windir("WINDIR", std::nullopt);
    {
        test::ScopedEnv data("XDG_DATA_HOME", "/data");
        EXPECT_EQ(windowsDirectory(), "/data/qm4200/windows");
    }
    test::ScopedEnv data("XDG_DATA_HOME", std::nullopt);
    test::ScopedEnv home("HOME", "/home/user");
    EXPECT_EQ(windowsDirectory(), "/home/user/.local/share/qm4200/windows");
}

TEST(Directories, TheUsersOwnWindowsDirectoryIsTheOneWindirDoesNotName)
{
    {
        test::ScopedEnv windir("WINDIR", "/opt/win");
        EXPECT_FALSE(windowsDirectoryIsUsersOwn());
    }
    test::ScopedEnv windir("WINDIR", std::nullopt);
    EXPECT_TRUE(windowsDirectoryIsUsersOwn());
    // This test program lies in the build's tests directory.
    EXPECT_TRUE(std::filesystem::exists(programDirectory() + "/platform_system_test"));
}

TEST(Directories, TemporaryDirectoryEndsWithASeparator)
{
    test::ScopedEnv tmp("TMPDIR", "/scratch//");
    EXPECT_EQ(temporaryDirectory(), "/scratch/");
    test::ScopedEnv none("TMPDIR", std::nullopt);
    EXPECT_EQ(temporaryDirectory(), "/tmp/");
}

TEST(Directories, TemporaryNamesWithAGivenNumberCreateNoFile)
{
    test::TempDir dir;
    char name[MAX_PATH];
    EXPECT_EQ(GetTempFileName(dir.path().c_str(), "~DCX", 0x1A2B, name), 0x1A2Bu);
    EXPECT_EQ(std::string(name), dir.path() + "/~DC1A2B.tmp");
    EXPECT_FALSE(fileExists(name));
}

TEST(Directories, TemporaryNamesWithoutANumberAreUniqueAndReserved)
{
    test::TempDir dir;
    char first[MAX_PATH];
    char second[MAX_PATH];
    ASSERT_NE(GetTempFileName(dir.path().c_str(), "~DC", 0, first), 0u);
    ASSERT_NE(GetTempFileName(dir.path().c_str(), "~DC", 0, second), 0u);
    EXPECT_STRNE(first, second);
    EXPECT_TRUE(fileExists(first));
    EXPECT_TRUE(fileExists(second));
    EXPECT_EQ(GetTempFileName((dir.path() + "/missing").c_str(), "~DC", 0, first), 0u);
}

TEST(Files, AtomicWritesReplaceWholeFilesAndLeaveNoDebris)
{
    test::TempDir dir;
    const std::string path = dir.file("data.bin");
    ASSERT_TRUE(writeFileAtomically(path, std::string("first version")));
    ASSERT_TRUE(writeFileAtomically(path, std::string("second")));
    EXPECT_EQ(test::readTextFile(path), "second");
    EXPECT_FALSE(writeFileAtomically(dir.file("missing/data.bin"), std::string("x")));
    int entries = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
    EXPECT_EQ(joinPath("/a/", "/b"), "/a/b");
    EXPECT_EQ(joinPath("/a", "b"), "/a/b");
}

}  // namespace
}  // namespace qm::sys
