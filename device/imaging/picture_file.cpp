#include "device/imaging/picture_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/system/files.h"

namespace qm::device::imaging {

PictureFileWriter::~PictureFileWriter() { abandon(); }

bool PictureFileWriter::open(const std::string& path)
{
    abandon();
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    bool created = fd >= 0;
    if (fd < 0 && errno == EEXIST)
        fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    path_ = path;
    open_ = true;
    created_ = created;
    return true;
}

bool PictureFileWriter::commit(std::span<const std::uint8_t> data)
{
    if (!open_)
        return false;
    if (!sys::writeFileAtomically(path_, data)) {
        abandon();
        return false;
    }
    open_ = false;
    created_ = false;
    return true;
}

void PictureFileWriter::abandon()
{
    if (open_ && created_)
        ::unlink(path_.c_str());
    open_ = false;
    created_ = false;
}

}  // namespace qm::device::imaging
