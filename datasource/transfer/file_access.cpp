#include "datasource/transfer/file_access.h"

#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace qm::ds {

namespace {

// An existing file is only replaced when it is a regular file the user may
// write.
void checkReplaceable(const std::string& path, TW_UINT16 condition)
{
    if (path.empty())
        throw FileAccessError("no file name", condition);
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0 && (!S_ISREG(existing.st_mode) || ::access(path.c_str(), W_OK) != 0))
        throw FileAccessError(path + " cannot be replaced", condition);
}

}  // namespace

void proveWritable(const std::string& path, TW_UINT16 condition)
{
    checkReplaceable(path, condition);
    std::string probe = path + ".XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        throw FileAccessError(path + " cannot be created", condition);
    ::close(fd);
    ::unlink(probe.c_str());
}

TransferFile::TransferFile(const std::string& path, TW_UINT16 condition)
    : path_(path), temporary_(path + ".XXXXXX"), condition_(condition)
{
    checkReplaceable(path, condition);
    fd_ = ::mkstemp(temporary_.data());
    if (fd_ < 0)
        throw FileAccessError(path + " cannot be created", condition);
    // The usual permissions of a user file rather than mkstemp's 0600.
    ::fchmod(fd_, 0644);
}

TransferFile::~TransferFile()
{
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temporary_.c_str());
    }
}

void TransferFile::fail(const std::string& why) { throw FileAccessError(path_ + " " + why, condition_); }

void TransferFile::write(std::span<const std::uint8_t> first, std::span<const std::uint8_t> second)
{
    iovec pieces[2] = {{const_cast<std::uint8_t*>(first.data()), first.size()},
                       {const_cast<std::uint8_t*>(second.data()), second.size()}};
    iovec* next = pieces;
    int left = 2;
    while (left > 0) {
        const ssize_t written = ::writev(fd_, next, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            fail("cannot be written");
        // Skip what went out, also a piece that went out in part.
        auto done = std::size_t(written);
        while (left > 0 && done >= next->iov_len) {
            done -= next->iov_len;
            ++next;
            --left;
        }
        if (left > 0) {
            next->iov_base = static_cast<std::uint8_t*>(next->iov_base) + done;
            next->iov_len -= done;
        }
    }
}

void TransferFile::commit()
{
    const bool flushed = ::fsync(fd_) == 0;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!flushed || !closed || std::rename(temporary_.c_str(), path_.c_str()) != 0) {
        ::unlink(temporary_.c_str());
        fail("cannot be written");
    }
}

}  // namespace qm::ds
