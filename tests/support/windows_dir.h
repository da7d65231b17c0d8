// A private Windows directory W for one test: $WINDIR points at a scratch
// directory laid out like an installation, whose module files link to the
// ones the build produced. Tests that write settings or caches get their own
// files and never disturb each other or the build's own W.
#pragma once

#include <string>

#include "tests/support/temp_dir.h"

namespace qm::test {

struct InstallOptions {
    bool dataSource = true;   // TWAIN_32/QM4200.DS
    bool panel = true;        // TWAIN_32/QM4200/Vantrel.DLL
    bool device = true;       // TWAIN_32/QM4200/Kestrom.DLL
    bool installDirectory = true;  // TWAIN_32/QM4200 itself
};

class WindowsDir {
public:
    explicit WindowsDir(InstallOptions options = {});

    const std::string& path() const { return root_.path(); }
    std::string twainDirectory() const { return path() + "/TWAIN_32"; }
    std::string installDirectory() const { return path() + "/TWAIN_32/QM4200"; }
    std::string dataSourcePath() const { return twainDirectory() + "/QM4200.DS"; }
    std::string panelPath() const { return installDirectory() + "/Vantrel.DLL"; }
    std::string devicePath() const { return installDirectory() + "/Kestrom.DLL"; }

    // Replaces one installed file with a link to another library (a test
    // double built by the tests, for example).
    void install(const std::string& builtFile, const std::string& installedPath) const;

private:
    TempDir root_;
    ScopedEnv windir_;
    ScopedEnv tmpdir_;
};

// Paths of what the build produced.
std::string builtDataSource();
std::string builtPanel();
std::string builtPanelHelp();
std::string builtDevice();
std::string builtLibrary(const std::string& fileName);  // build/lib/<file>
std::string builtTool(const std::string& name);         // build/bin/<name>
std::string builtTestFile(const std::string& name);     // build/tests/<name>
std::string sourceFile(const std::string& relative);    // <source tree>/<relative>

}  // namespace qm::test
