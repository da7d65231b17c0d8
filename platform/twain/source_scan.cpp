#include "platform/twain/source_scan.h"

#include <strings.h>

#include <algorithm>
#include <filesystem>

#include "platform/system/directories.h"
#include "platform/system/files.h"
#include "platform/system/library.h"

namespace qm::twain {
namespace {

bool hasSourceExtension(const std::string& name)
{
    constexpr std::size_t kLength = 3;  // ".ds"
    return name.size() > kLength && strcasecmp(name.c_str() + name.size() - kLength, ".ds") == 0;
}

// The TWAIN directory that the installation's standard source manager scans.
constexpr const char* kInstalledTwainDirectory = "../twain";

}  // namespace

std::vector<std::string> sourceDirectories()
{
    const std::filesystem::path installed =
        std::filesystem::path(sys::platformLibraryDirectory()) / kInstalledTwainDirectory;
    return {sys::joinPath(sys::windowsDirectory(), "TWAIN_32"), installed.lexically_normal().string()};
}

std::vector<std::string> findSourceFiles(const std::string& directory)
{
    namespace fs = std::filesystem;
    std::vector<std::string> found;
    std::error_code error;
    fs::recursive_directory_iterator it(directory, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code statError;
        if (hasSourceExtension(it->path().filename().string()) && fs::is_regular_file(it->path(), statError))
            found.push_back(it->path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<std::string> findSourceFiles(const std::vector<std::string>& directories)
{
    namespace fs = std::filesystem;
    std::vector<std::string> found;
    std::vector<std::string> offered;  // what the earlier directories found, links resolved
    for (const std::string& directory : directories) {
        std::vector<std::string> here;
        for (std::string& path : findSourceFiles(directory)) {
            std::error_code error;
            const std::string file = fs::canonical(path, error).string();
            if (!error && std::find(offered.begin(), offered.end(), file) != offered.end())
                continue;
            if (!error)
                here.push_back(file);
            found.push_back(std::move(path));
        }
        offered.insert(offered.end(), here.begin(), here.end());
    }
    return found;
}

}  // namespace qm::twain
