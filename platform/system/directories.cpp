#include "platform/system/directories.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/system/files.h"
#include "platform/system/last_error.h"
#include "platform/system/timing.h"

namespace qm::sys {
namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string withoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

unsigned copyOut(const std::string& text, char* buffer, unsigned size)
{
    if (buffer == nullptr || size <= text.size())
        return unsigned(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return unsigned(text.size());
}

}  // namespace

std::string windowsDirectory()
{
    std::string windir = environment("WINDIR");
    if (!windir.empty())
        return withoutTrailingSlash(windir);
    std::string dataHome = environment("XDG_DATA_HOME");
    if (dataHome.empty())
        dataHome = joinPath(environment("HOME"), ".local/share");
    return joinPath(withoutTrailingSlash(dataHome), "qm4200/windows");
}

unsigned GetWindowsDirectory(char* buffer, unsigned size)
{
    return copyOut(windowsDirectory(), buffer, size);
}

bool windowsDirectoryIsUsersOwn() { return environment("WINDIR").empty(); }

std::string programDirectory()
{
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return ".";
    const std::string program(path, std::size_t(length));
    const auto slash = program.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string(slash == 0 ? "/" : ".") : program.substr(0, slash);
}

std::string temporaryDirectory()
{
    std::string directory = environment("TMPDIR");
    if (directory.empty())
        directory = "/tmp";
    directory = withoutTrailingSlash(directory);
    return directory == "/" ? directory : directory + "/";
}

unsigned GetTempPath(unsigned size, char* buffer)
{
    return copyOut(temporaryDirectory(), buffer, size);
}

unsigned GetTempFileName(const char* directory, const char* prefix, unsigned unique, char* out)
{
    if (directory == nullptr || out == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string stem(prefix != nullptr ? prefix : "");
    stem = stem.substr(0, 3);
    auto nameFor = [&](unsigned number) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", number);
        return joinPath(directory, stem + hex + ".tmp");
    };
    auto store = [&](const std::string& path) {
        if (path.size() >= MAX_PATH) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return false;
        }
        std::memcpy(out, path.c_str(), path.size() + 1);
        return true;
    };

    unique &= 0xFFFF;
    if (unique != 0)
        return store(nameFor(unique)) ? unique : 0;

    // Choose a number from the clock and walk on until a name is free.
    const unsigned start = GetTickCount();
    for (unsigned step = 0; step <= 0xFFFF; ++step) {
        const unsigned number = (start + step) & 0xFFFF;
        if (number == 0)
            continue;
        std::string path = nameFor(number);
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd >= 0) {
            ::close(fd);
            if (!store(path)) {
                ::unlink(path.c_str());
                return 0;
            }
            return number;
        }
        if (errno != EEXIST) {
            SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED);
            return 0;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}

}  // namespace qm::sys
