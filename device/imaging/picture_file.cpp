#include "device/imaging/picture_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/system/files.h"
#include "platform/system/last_error.h"

namespace qm::device::imaging {
namespace {

// Tells the caller why the file could not be written.
void reportFileError(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        sys::SetLastError(sys::ERROR_ACCESS_DENIED);
        break;
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
        sys::SetLastError(sys::ERROR_PATH_NOT_FOUND);
        break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        sys::SetLastError(sys::ERROR_DISK_FULL);
        break;
    default:
        sys::SetLastError(sys::ERROR_WRITE_FAULT);
        break;
    }
}

}  // namespace

PictureFileWriter::~PictureFileWriter() { abandon(); }

bool PictureFileWriter::open(const std::string& path)
{
    abandon();
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
        // Only a try: the picture appears at the path when it is complete.
        ::close(fd);
        ::unlink(path.c_str());
    } else if (errno == EEXIST) {
        fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
    }
    if (fd < 0) {
        reportFileError(errno);
        return false;
    }
    path_ = path;
    open_ = true;
    return true;
}

bool PictureFileWriter::commit(std::span<const std::uint8_t> data)
{
    if (!open_)
        return false;
    open_ = false;
    errno = 0;
    if (!sys::writeFileAtomically(path_, data)) {
        reportFileError(errno);
        return false;
    }
    return true;
}

void PictureFileWriter::abandon()
{
    open_ = false;
}

}  // namespace qm::device::imaging
