#include "datasource/transfer/file_access.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/system/files.h"

namespace qm::ds {

void proveWritable(const std::string& path, TW_UINT16 condition)
{
    if (path.empty())
        throw FileAccessError("no file name", condition);
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0 && (!S_ISREG(existing.st_mode) || ::access(path.c_str(), W_OK) != 0))
        throw FileAccessError(path + " cannot be replaced", condition);

    std::string probe = path + ".XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        throw FileAccessError(path + " cannot be created", condition);
    ::close(fd);
    ::unlink(probe.c_str());
}

void writeTransferFile(const std::string& path, std::span<const std::uint8_t> bytes, TW_UINT16 condition)
{
    if (!sys::writeFileAtomically(path, bytes))
        throw FileAccessError(path + " cannot be written", condition);
}

}  // namespace qm::ds
