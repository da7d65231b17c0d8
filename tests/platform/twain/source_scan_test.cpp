#include "platform/twain/source_scan.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace qm::twain {
namespace {

namespace fs = std::filesystem;

TEST(SourceScan, FindsRegularDsFilesAtAnyDepthInAnyCase)
{
    qm::test::TempDir twain;
    fs::create_directories(twain.file("vendor/deeper"));
    fs::create_directories(twain.file("folder.ds"));
    for (const char* name : {"b.ds", "A.DS", "vendor/c.Ds", "vendor/deeper/d.ds", "notes.txt", "ds", ".ds",
                             "vendor/e.dsx"})
        qm::test::writeTextFile(twain.file(name), "x");
    fs::create_symlink(twain.file("b.ds"), twain.file("link.ds"));
    fs::create_symlink(twain.file("nowhere"), twain.file("dangling.ds"));

    const std::vector<std::string> expected = {twain.file("A.DS"), twain.file("b.ds"), twain.file("link.ds"),
                                               twain.file("vendor/c.Ds"), twain.file("vendor/deeper/d.ds")};
    EXPECT_EQ(findSourceFiles(twain.path()), expected);
    EXPECT_TRUE(findSourceFiles(twain.file("missing")).empty());
}

TEST(SourceScan, OffersASourceReachedFromTwoDirectoriesOnce)
{
    qm::test::TempDir root;
    fs::create_directories(root.file("windows/TWAIN_32"));
    fs::create_directories(root.file("twain"));
    fs::create_directories(root.file("installed"));
    qm::test::writeTextFile(root.file("installed/QM4200.DS"), "x");
    qm::test::writeTextFile(root.file("twain/other.ds"), "x");
    fs::create_symlink(root.file("installed/QM4200.DS"), root.file("windows/TWAIN_32/QM4200.DS"));
    fs::create_symlink("../installed/QM4200.DS", root.file("twain/qm4200.ds"));

    const std::vector<std::string> expected = {root.file("windows/TWAIN_32/QM4200.DS"), root.file("twain/other.ds")};
    EXPECT_EQ(findSourceFiles({root.file("windows/TWAIN_32"), root.file("twain"), root.file("missing")}), expected);
}

TEST(SourceScan, LooksInTheWindowsDirectoryThenInTheInstallationsTwainDirectory)
{
    qm::test::ScopedEnv windir("WINDIR", "/opt/win");
    const std::vector<std::string> directories = sourceDirectories();
    ASSERT_EQ(directories.size(), 2u);
    EXPECT_EQ(directories[0], "/opt/win/TWAIN_32");
    // Beside the directory of the platform's libraries: <prefix>/lib/twain
    // for <prefix>/lib/qm4200.
    EXPECT_EQ(directories[1], fs::path(QM_BUILD_LIB_DIR).parent_path().string() + "/twain");
}

}  // namespace
}  // namespace qm::twain
