// Where the source finds its panel and device module, and which path of
// its own it hands the panel.
#include "datasource/panel/panel_link.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/windows_dir.h"

namespace qm::ds {
namespace {

namespace fs = std::filesystem;

TEST(InstallPaths, BesideTheSourcesOwnFileElseInTheWindowsDirectory)
{
    qm::test::WindowsDir windows;
    // Linked into a program: the Windows directory's layout.
    InstallPaths paths = installPaths("");
    EXPECT_EQ(paths.panel, windows.panelPath());
    EXPECT_EQ(paths.device, windows.devicePath());
    EXPECT_EQ(paths.dataSource, windows.dataSourcePath());

    // Loaded from a directory with an install directory of its own, even one
    // whose panel is missing: that one.
    qm::test::TempDir elsewhere;
    fs::create_directories(elsewhere.file("QM4200"));
    paths = installPaths(elsewhere.file("QM4200.DS"));
    EXPECT_EQ(paths.panel, elsewhere.file("QM4200/Vantrel.DLL"));
    EXPECT_EQ(paths.device, elsewhere.file("QM4200/Kestrom.DLL"));
    EXPECT_EQ(paths.dataSource, elsewhere.file("QM4200.DS"));

    // Loaded from anywhere else: the Windows directory's modules, but the
    // panel still binds back to the file this source came from.
    paths = installPaths(elsewhere.file("QM4200/strays/qm.ds"));
    EXPECT_EQ(paths.panel, windows.panelPath());
    EXPECT_EQ(paths.dataSource, elsewhere.file("QM4200/strays/qm.ds"));
}

}  // namespace
}  // namespace qm::ds
