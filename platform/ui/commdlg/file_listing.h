// What a file dialog lists in a folder, and its filter patterns.
#pragma once

#include <string>
#include <vector>

namespace qm::ui::detail {

struct FilterEntry {
    std::string description;
    std::vector<std::string> patterns;
};

// "desc\0pat;pat\0...\0\0"; an absent filter lists everything.
std::vector<FilterEntry> parseFilter(const char* filter);
bool matchesAny(const std::string& name, const std::vector<std::string>& patterns);

struct FolderEntry {
    std::string name;
    bool directory = false;
};
// Sub-folders first (".." leads when there is a parent), then matching files,
// each group sorted without regard to case. Hidden (dot) files are left out.
std::vector<FolderEntry> listFolder(const std::string& folder, const std::vector<std::string>& patterns);

// Path helpers on '/' separated paths.
std::string parentOf(const std::string& folder);
std::string joinName(const std::string& folder, const std::string& name);

}  // namespace qm::ui::detail
