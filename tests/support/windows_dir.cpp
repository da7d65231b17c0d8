#include "tests/support/windows_dir.h"

#include <filesystem>

namespace qm::test {

namespace fs = std::filesystem;

WindowsDir::WindowsDir(InstallOptions options)
    : windir_("WINDIR", root_.path()), tmpdir_("TMPDIR", root_.path() + "/tmp")
{
    fs::create_directories(root_.path() + "/tmp");

    fs::create_directories(twainDirectory());
    if (options.installDirectory)
        fs::create_directories(installDirectory());
    auto link = [this](bool wanted, const std::string& built, const std::string& installed) {
        if (wanted && fs::exists(built) && fs::exists(fs::path(installed).parent_path()))
            install(built, installed);
    };
    link(options.dataSource, builtDataSource(), dataSourcePath());
    link(options.panel && options.installDirectory, builtPanel(), panelPath());
    link(options.device && options.installDirectory, builtDevice(), devicePath());
    link(options.panel && options.installDirectory, builtPanelHelp(), installDirectory() + "/Vantrel.txt");
}

void WindowsDir::install(const std::string& builtFile, const std::string& installedPath) const
{
    std::error_code ignored;
    fs::remove(installedPath, ignored);
    fs::create_directories(fs::path(installedPath).parent_path());
    fs::create_symlink(builtFile, installedPath);
}

std::string builtDataSource() { return std::string(QM_BUILD_WINDOWS_DIR) + "/TWAIN_32/QM4200.DS"; }
std::string builtPanel() { return std::string(QM_BUILD_WINDOWS_DIR) + "/TWAIN_32/QM4200/Vantrel.DLL"; }
std::string builtPanelHelp() { return std::string(QM_BUILD_WINDOWS_DIR) + "/TWAIN_32/QM4200/Vantrel.txt"; }
std::string builtDevice() { return std::string(QM_BUILD_WINDOWS_DIR) + "/TWAIN_32/QM4200/Kestrom.DLL"; }
std::string builtLibrary(const std::string& fileName) { return std::string(QM_BUILD_LIB_DIR) + "/" + fileName; }
std::string builtTool(const std::string& name) { return std::string(QM_BUILD_BIN_DIR) + "/" + name; }
std::string builtTestFile(const std::string& name) { return std::string(QM_BUILD_TEST_DIR) + "/" + name; }
std::string sourceFile(const std::string& relative) { return std::string(QM_SOURCE_DIR) + "/" + relative; }

}  // namespace qm::test
