// Unattended runs: when QM4200_UI_SCRIPT names a file, a script thread runs
// its lines against the windows of whatever host process loaded the
// platform. The language is described in platform/ui/README.md.
#pragma once

#include <string>
#include <vector>

namespace qm::ui {

// Starts the script thread once per process when the variable is set.
void startScriptFromEnvironment();

// Runs a script's lines on the calling thread, which must not be the one
// that pumps. Returns true when every line succeeded; `error` says which one
// failed and why.
bool runScript(const std::vector<std::string>& lines, std::string* error);
bool runScriptFile(const std::string& path, std::string* error);

}  // namespace qm::ui
