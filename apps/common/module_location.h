// How the tools find the modules they load, all in the same order: the path
// an option gives, else the one the environment gives, else the first of the
// places beside the tool's own program that exists (the installed layout,
// then the build tree's).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qm::apps {

// Below the installation prefix (the tools lie in <prefix>/bin).
inline constexpr const char* kInstalledLibraries = "lib/qm4200";
inline constexpr const char* kInstalledWindowsDirectory = "lib/qm4200/windows";

struct ModuleSearch {
    std::optional<std::string> option;       // the option's value, when given
    const char* optionName = "";             // "--module"
    std::optional<std::string> environment;  // the path the environment gives, when it gives one
    const char* environmentName = "";        // "$WINDIR"
    std::vector<std::string> besideProgram;  // relative to the program's directory, in order
};

struct ModuleLocation {
    std::string path;
    std::string origin;  // "--module", "$WINDIR", "beside the program"
};

// The path to load and where it came from. When nothing beside the program
// exists, the first place there is named, so that the error says where the
// module was expected.
ModuleLocation locateModule(const ModuleSearch& search);

// The loader's reason why `path` did not load, without the path it names
// first ("cannot open shared object file: No such file or directory").
std::string whyNotLoaded(const std::string& path);

// "<prefix>/bin/../lib/qm4200/..." made from the program's directory.
std::string besideProgram(const std::string& relative);

}  // namespace qm::apps
