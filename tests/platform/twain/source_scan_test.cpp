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

}  // namespace
}  // namespace qm::twain
