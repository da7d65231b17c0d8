#include "device/imaging/thumbnail_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <new>

#include "common/config/kvb_config.h"
#include "device/imaging/imaging_strings.h"
#include "platform/system/byte_order.h"
#include "platform/system/files.h"

namespace qm::device::imaging {

namespace {

constexpr std::size_t kLargestCacheFile =
    kThumbnailCacheHeaderSize + std::size_t(kMaxCachedPicture) * kThumbnailCacheRecordSize;

bool readAt(int fd, std::uint8_t* data, std::size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t got = ::pread(fd, data, size, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        data += got;
        size -= std::size_t(got);
        offset += got;
    }
    return true;
}

bool writeAt(int fd, const std::uint8_t* data, std::size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t put = ::pwrite(fd, data, size, offset);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        data += put;
        size -= std::size_t(put);
        offset += put;
    }
    return true;
}

bool hasCacheHeader(std::span<const std::uint8_t> file)
{
    return file.size() >= kThumbnailCacheHeaderSize && sys::readLe32(file.data()) == kThumbnailCacheMagic &&
           sys::readLe32(file.data() + 4) == std::uint32_t(kThumbnailWidth) &&
           sys::readLe32(file.data() + 8) == std::uint32_t(kThumbnailHeight) && sys::readLe32(file.data() + 12) == 0;
}

}  // namespace

std::string thumbnailCachePath()
{
    return (std::filesystem::path(config::kvbIniPath()).parent_path() / kThumbnailCacheFileName).string();
}

bool ThumbnailCache::open([[maybe_unused]] std::uint32_t pictureCount)
{
    // The memory holds what the file holds and grows as thumbnails are
    // stored, so a camera announcing a huge count costs nothing up front.
    close();
    path_ = fixedPath_.empty() ? thumbnailCachePath() : fixedPath_;
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0)
        return false;

    struct stat status {};
    const bool sized = ::fstat(fd_, &status) == 0 && status.st_size >= 0 &&
                       std::size_t(status.st_size) <= kLargestCacheFile;
    try {
        if (sized) {
            memory_.resize(std::size_t(status.st_size));
            if (!readAt(fd_, memory_.data(), memory_.size(), 0))
                memory_.clear();
        }
        if (!hasCacheHeader(memory_)) {
            startAfresh();
        } else {
            // A record cut short at the end of the file is not trusted.
            const std::size_t records = (memory_.size() - kThumbnailCacheHeaderSize) / kThumbnailCacheRecordSize;
            memory_.resize(kThumbnailCacheHeaderSize + records * kThumbnailCacheRecordSize);
        }
    } catch (const std::bad_alloc&) {
        ::close(fd_);
        fd_ = -1;
        memory_ = {};
        return false;
    }
    return true;
}

// A file that is not a cache (or a cache of another thumbnail size) is
// emptied down to a fresh header; none of its content is trusted.
void ThumbnailCache::startAfresh()
{
    memory_.assign(kThumbnailCacheHeaderSize, 0);
    sys::writeLe32(memory_.data(), kThumbnailCacheMagic);
    sys::writeLe32(memory_.data() + 4, kThumbnailWidth);
    sys::writeLe32(memory_.data() + 8, kThumbnailHeight);
    if (::ftruncate(fd_, 0) == 0)
        writeAt(fd_, memory_.data(), memory_.size(), 0);
}

std::size_t ThumbnailCache::recordOffset(std::uint32_t pictureNumber) const
{
    return kThumbnailCacheHeaderSize + std::size_t(pictureNumber - 1) * kThumbnailCacheRecordSize;
}

bool ThumbnailCache::holdsSoundRecord(const ThumbnailKey& key) const
{
    const std::size_t offset = recordOffset(key.pictureNumber);
    if (offset + kThumbnailCacheRecordSize > memory_.size())
        return false;
    const std::uint8_t* record = memory_.data() + offset;
    if (sys::readLe32(record) != key.pictureNumber || sys::readLe32(record + 4) != key.sizeKey ||
        sys::readLe32(record + 8) != key.secondKey || sys::readLe32(record + 12) != 0)
        return false;
    const auto geometry =
        readDibGeometry({record + kThumbnailCacheRecordHeaderSize, kThumbnailDibSize});
    return geometry && geometry->width == std::size_t(kThumbnailWidth) &&
           geometry->height == std::size_t(kThumbnailHeight);
}

bool ThumbnailCache::lookup(const ThumbnailKey& key, std::span<std::uint8_t> destination)
{
    if (!isOpen() || key.pictureNumber == 0 || key.pictureNumber > kMaxCachedPicture ||
        destination.size() < kThumbnailDibSize || !holdsSoundRecord(key))
        return false;
    const std::size_t offset = recordOffset(key.pictureNumber);
    std::copy_n(memory_.begin() + std::ptrdiff_t(offset + kThumbnailCacheRecordHeaderSize), kThumbnailDibSize,
                destination.begin());
    writeRecordToFile(offset);
    return true;
}

void ThumbnailCache::store(const ThumbnailKey& key, std::span<const std::uint8_t> dib)
{
    if (!isOpen() || key.pictureNumber == 0 || key.pictureNumber > kMaxCachedPicture ||
        dib.size() < kThumbnailDibSize)
        return;
    const std::size_t offset = recordOffset(key.pictureNumber);
    try {
        if (memory_.size() < offset + kThumbnailCacheRecordSize)
            memory_.resize(offset + kThumbnailCacheRecordSize);
    } catch (const std::bad_alloc&) {
        return;
    }
    std::uint8_t* record = memory_.data() + offset;
    sys::writeLe32(record, key.pictureNumber);
    sys::writeLe32(record + 4, key.sizeKey);
    sys::writeLe32(record + 8, key.secondKey);
    sys::writeLe32(record + 12, 0);
    std::copy_n(dib.begin(), kThumbnailDibSize, record + kThumbnailCacheRecordHeaderSize);
    writeRecordToFile(offset);
}

// The record goes out with a zero picture number first and gets its number
// last, so a write that a crash cuts short leaves a record nobody trusts.
void ThumbnailCache::writeRecordToFile(std::size_t offset)
{
    std::uint8_t number[4];
    std::copy_n(memory_.begin() + std::ptrdiff_t(offset), 4, number);
    std::fill_n(memory_.begin() + std::ptrdiff_t(offset), 4, 0);
    const bool written = writeAt(fd_, memory_.data() + offset, kThumbnailCacheRecordSize, off_t(offset));
    std::copy_n(number, 4, memory_.begin() + std::ptrdiff_t(offset));
    if (written)
        writeAt(fd_, number, sizeof number, off_t(offset));
}

void ThumbnailCache::close()
{
    if (!isOpen())
        return;
    // Every record is in the file already; the final write replaces the file
    // as a whole, which also drops anything untrusted that was left behind.
    sys::writeFileAtomically(path_, memory_);
    ::close(fd_);
    fd_ = -1;
    memory_ = {};
}

}  // namespace qm::device::imaging
