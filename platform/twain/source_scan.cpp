#include "platform/twain/source_scan.h"

#include <strings.h>

#include <algorithm>
#include <filesystem>

namespace qm::twain {
namespace {

bool hasSourceExtension(const std::string& name)
{
    constexpr std::size_t kLength = 3;  // ".ds"
    return name.size() > kLength && strcasecmp(name.c_str() + name.size() - kLength, ".ds") == 0;
}

}  // namespace

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

}  // namespace qm::twain
