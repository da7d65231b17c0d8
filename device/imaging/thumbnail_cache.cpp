#include "device/imaging/thumbnail_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "common/config/kvb_config.h"
#include "device/imaging/imaging_strings.h"
#include "platform/system/byte_order.h"

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

std::size_t recordOffset(std::uint32_t pictureNumber)
{
    return kThumbnailCacheHeaderSize + std::size_t(pictureNumber - 1) * kThumbnailCacheRecordSize;
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
    close();
    path_ = fixedPath_.empty() ? thumbnailCachePath() : fixedPath_;
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0)
        return false;

    // Only the header is read now; a file no cache could have grown to is
    // not a cache.
    struct stat status {};
    std::uint8_t header[kThumbnailCacheHeaderSize];
    const bool trusted = ::fstat(fd_, &status) == 0 && status.st_size >= off_t(kThumbnailCacheHeaderSize) &&
                         std::uint64_t(status.st_size) <= kLargestCacheFile &&
                         readAt(fd_, header, sizeof header, 0) && hasCacheHeader(header);
    if (!trusted)
        startAfresh();
    return true;
}

// A file that is not a cache (or a cache of another thumbnail size) is
// emptied down to a fresh header; none of its content is trusted.
void ThumbnailCache::startAfresh()
{
    std::uint8_t header[kThumbnailCacheHeaderSize] = {};
    sys::writeLe32(header, kThumbnailCacheMagic);
    sys::writeLe32(header + 4, kThumbnailWidth);
    sys::writeLe32(header + 8, kThumbnailHeight);
    if (::ftruncate(fd_, 0) == 0)
        writeAt(fd_, header, sizeof header, 0);
}

bool ThumbnailCache::readSoundRecord(const ThumbnailKey& key, Record& record) const
{
    // A record cut short at the end of the file is not trusted.
    record.assign(kThumbnailCacheRecordSize, 0);
    if (!readAt(fd_, record.data(), record.size(), off_t(recordOffset(key.pictureNumber))))
        return false;
    if (sys::readLe32(record.data()) != key.pictureNumber || sys::readLe32(record.data() + 4) != key.sizeKey ||
        sys::readLe32(record.data() + 8) != key.secondKey || sys::readLe32(record.data() + 12) != 0)
        return false;
    const auto geometry = readDibGeometry({record.data() + kThumbnailCacheRecordHeaderSize, kThumbnailDibSize});
    return geometry && geometry->width == std::size_t(kThumbnailWidth) &&
           geometry->height == std::size_t(kThumbnailHeight);
}

bool ThumbnailCache::lookup(const ThumbnailKey& key, std::span<std::uint8_t> destination)
{
    if (!isOpen() || key.pictureNumber == 0 || key.pictureNumber > kMaxCachedPicture ||
        destination.size() < kThumbnailDibSize)
        return false;
    Record record;
    if (!readSoundRecord(key, record))
        return false;
    std::copy_n(record.begin() + std::ptrdiff_t(kThumbnailCacheRecordHeaderSize), kThumbnailDibSize,
                destination.begin());
    return true;
}

void ThumbnailCache::store(const ThumbnailKey& key, std::span<const std::uint8_t> dib)
{
    if (!isOpen() || key.pictureNumber == 0 || key.pictureNumber > kMaxCachedPicture ||
        dib.size() < kThumbnailDibSize)
        return;
    Record record(kThumbnailCacheRecordSize, 0);
    sys::writeLe32(record.data() + 4, key.sizeKey);
    sys::writeLe32(record.data() + 8, key.secondKey);
    std::copy_n(dib.begin(), kThumbnailDibSize, record.begin() + std::ptrdiff_t(kThumbnailCacheRecordHeaderSize));
    writeRecord(key.pictureNumber, record);
}

// The record goes out with a zero picture number first and gets its number
// last, so a write that a crash cuts short leaves a record nobody trusts.
void ThumbnailCache::writeRecord(std::uint32_t pictureNumber, Record& record)
{
    const off_t offset = off_t(recordOffset(pictureNumber));
    sys::writeLe32(record.data(), 0);
    if (!writeAt(fd_, record.data(), record.size(), offset))
        return;
    std::uint8_t number[4];
    sys::writeLe32(number, pictureNumber);
    writeAt(fd_, number, sizeof number, offset);
}

void ThumbnailCache::close()
{
    if (!isOpen())
        return;
    ::close(fd_);
    fd_ = -1;
}

}  // namespace qm::device::imaging
