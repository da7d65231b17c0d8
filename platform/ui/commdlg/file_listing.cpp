#include "platform/ui/commdlg/file_listing.h"

#include <fnmatch.h>
#include <strings.h>

#include <algorithm>
#include <filesystem>

namespace qm::ui::detail {

std::vector<FilterEntry> parseFilter(const char* filter)
{
    std::vector<FilterEntry> out;
    if (!filter)
        return out;
    // Pairs of NUL-terminated strings up to an empty one.
    const char* p = filter;
    while (*p) {
        FilterEntry e;
        e.description = p;
        p += e.description.size() + 1;
        if (!*p)
            break;
        std::string patterns = p;
        p += patterns.size() + 1;
        std::size_t start = 0;
        while (start <= patterns.size()) {
            std::size_t end = patterns.find(';', start);
            if (end == std::string::npos)
                end = patterns.size();
            std::string one = patterns.substr(start, end - start);
            one.erase(0, one.find_first_not_of(' '));
            if (!one.empty())
                e.patterns.push_back(one);
            start = end + 1;
        }
        out.push_back(std::move(e));
    }
    return out;
}

bool matchesAny(const std::string& name, const std::vector<std::string>& patterns)
{
    if (patterns.empty())
        return true;
    for (const std::string& p : patterns)
        if (p == "*.*" || fnmatch(p.c_str(), name.c_str(), FNM_CASEFOLD) == 0)
            return true;
    return false;
}

std::vector<FolderEntry> listFolder(const std::string& folder, const std::vector<std::string>& patterns)
{
    std::vector<FolderEntry> dirs, files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.')
            continue;
        std::error_code typeError;
        if (it->is_directory(typeError))
            dirs.push_back({name, true});
        else if (matchesAny(name, patterns))
            files.push_back({name, false});
    }
    auto byName = [](const FolderEntry& a, const FolderEntry& b) { return strcasecmp(a.name.c_str(), b.name.c_str()) < 0; };
    std::sort(dirs.begin(), dirs.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    std::vector<FolderEntry> out;
    if (folder != "/")
        out.push_back({"..", true});
    out.insert(out.end(), dirs.begin(), dirs.end());
    out.insert(out.end(), files.begin(), files.end());
    return out;
}

std::string parentOf(const std::string& folder)
{
    const std::size_t slash = folder.find_last_of('/');
    if (slash == std::string::npos || slash == 0)
        return "/";
    return folder.substr(0, slash);
}

std::string joinName(const std::string& folder, const std::string& name)
{
    if (!name.empty() && name[0] == '/')
        return name;
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

}  // namespace qm::ui::detail
