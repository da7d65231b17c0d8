#include "panel/save/file_names.h"

#include <algorithm>

namespace qm::panel {

std::string FormatFileNumber(long long number)
{
    unsigned long long digits =
        number < 0 ? 0ull - static_cast<unsigned long long>(number) : static_cast<unsigned long long>(number);
    std::string text(5, '0');
    for (int i = 4; i >= 0; --i) {
        text[std::size_t(i)] = char('0' + digits % 10);
        digits /= 10;
    }
    if (text[0] == '0')
        text[0] = '_';
    return text;
}

std::string pictureFilePath(const std::string& folder, const std::string& prefix, long long number)
{
    return folder + "/" + prefix + FormatFileNumber(number) + ".jpg";
}

std::string withoutTrailingSlash(std::string folder)
{
    if (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    return folder;
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string sanitisedPrefix(std::string prefix)
{
    prefix.erase(std::remove_if(prefix.begin(), prefix.end(), [](char c) { return c == '/' || c == '\\'; }),
                 prefix.end());
    return prefix;
}

}  // namespace qm::panel
