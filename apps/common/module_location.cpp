#include "apps/common/module_location.h"

#include <filesystem>

#include "platform/system/directories.h"
#include "platform/system/files.h"
#include "platform/system/library.h"

namespace qm::apps {

std::string besideProgram(const std::string& relative)
{
    return (std::filesystem::path(sys::programDirectory()) / relative).lexically_normal().string();
}

std::string whyNotLoaded(const std::string& path)
{
    std::string reason = sys::lastLoadFailure();
    const std::string named = path + ": ";
    if (reason.rfind(named, 0) == 0)
        reason.erase(0, named.size());
    return reason.empty() ? "not loadable" : reason;
}

ModuleLocation locateModule(const ModuleSearch& search)
{
    if (search.option)
        return {*search.option, search.optionName};
    if (search.environment)
        return {*search.environment, search.environmentName};
    for (const std::string& relative : search.besideProgram) {
        const std::string path = besideProgram(relative);
        if (sys::fileExists(path))
            return {path, "beside the program"};
    }
    return {search.besideProgram.empty() ? std::string() : besideProgram(search.besideProgram.front()),
            "beside the program"};
}

}  // namespace qm::apps
