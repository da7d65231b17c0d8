// A scratch directory for harnesses that work on files, in the temporary
// directory ($TMPDIR; a memory file system makes file harnesses much
// faster), made on first use and removed when the process ends.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace qm::fuzz {

class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::string& name)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (name + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        path_ = pattern;
    }
    ~ScratchDirectory()
    {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace qm::fuzz
