#include "platform/comm/port_names.h"

#include <sys/stat.h>

#include <cctype>

#include "platform/system/directories.h"

namespace qm::comm {

std::optional<unsigned> portNumber(const std::string& name)
{
    std::string rest = name;
    if (rest.starts_with("\\\\.\\"))
        rest = rest.substr(4);
    if (!rest.empty() && rest.back() == ':')
        rest.pop_back();
    if (rest.size() < 4 || rest.size() > 6)
        return std::nullopt;
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(rest[i])) != "COM"[i])
            return std::nullopt;
    }
    unsigned number = 0;
    for (std::size_t i = 3; i < rest.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(rest[i])))
            return std::nullopt;
        number = number * 10 + unsigned(rest[i] - '0');
    }
    if (number < 1 || number > 256)
        return std::nullopt;
    return number;
}

std::string devicePathForPort(unsigned number)
{
    const std::string mapped = sys::windowsDirectory() + "/dosdevices/com" + std::to_string(number);
    struct stat entry {};
    if (::lstat(mapped.c_str(), &entry) == 0)
        return mapped;
    return "/dev/ttyS" + std::to_string(number - 1);
}

}  // namespace qm::comm
