#include "apps/common/output_paths.h"

#include <filesystem>

namespace qm::apps {

bool ensureDirectory(const std::string& directory, std::string& problem)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_directory(directory, error))
        return true;
    if (fs::exists(directory, error)) {
        problem = "cannot create the directory " + directory + ": a file of that name is in the way";
        return false;
    }
    fs::create_directories(directory, error);
    if (error || !fs::is_directory(directory)) {
        problem = "cannot create the directory " + directory + ": " + (error ? error.message() : "not made");
        return false;
    }
    return true;
}

bool ensureDirectoryOf(const std::string& file, std::string& problem)
{
    const std::string parent = std::filesystem::path(file).parent_path().string();
    return parent.empty() || ensureDirectory(parent, problem);
}

}  // namespace qm::apps
