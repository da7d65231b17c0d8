// The session's thumbnail cache, file "Thumbnl.Tmp" beside KVB.ini, so that
// browsing a camera again needs no camera traffic for pictures that did not
// change. Layout, all values little-endian:
//
//   0   magic 0xFCE8F5ED, thumbnail width 80, height 60, 0 (4 x 32 bits)
//   16 + (n - 1) x 14456   record of picture n: picture number, size key,
//                          second key, 0 (4 x 32 bits), the 14440-byte DIB
//
// The file is the cache's only copy: a lookup reads the one record it needs
// and a store writes its record at once. Nothing is held in memory and
// nothing is written back at the end, so a huge or corrupt file costs one
// record's worth of reading, and two sessions that overlap (a reconnect)
// share the file without one undoing the other's records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "device/imaging/dib.h"
#include "device/protocol/camera_records.h"

namespace qm::device::imaging {

inline constexpr std::uint32_t kThumbnailCacheMagic = 0xFCE8F5ED;
inline constexpr std::size_t kThumbnailCacheHeaderSize = 16;
inline constexpr std::size_t kThumbnailCacheRecordHeaderSize = 16;
inline constexpr std::size_t kThumbnailCacheRecordSize = kThumbnailCacheRecordHeaderSize + kThumbnailDibSize;
static_assert(kThumbnailCacheRecordSize == 14456);
// Picture numbers travel as 16 bits in the camera's requests.
inline constexpr std::uint32_t kMaxCachedPicture = 0xFFFF;

// A picture's thumbnail stays valid while its size and second key do.
struct ThumbnailKey {
    std::uint32_t pictureNumber = 0;
    std::uint32_t sizeKey = 0;    // PictureInfo bytes 4..7
    std::uint32_t secondKey = 0;  // PictureInfo bytes 12..15

    static ThumbnailKey of(std::uint32_t pictureNumber, const PictureInfo& info)
    {
        return {pictureNumber, info.pictureSize(), info.secondKey()};
    }
};

// "Thumbnl.Tmp" in the directory that holds KVB.ini: the install directory,
// or the temporary directory when there is none.
std::string thumbnailCachePath();

class ThumbnailCache {
public:
    // The cache file is located when the cache is opened.
    ThumbnailCache() = default;
    explicit ThumbnailCache(std::string path) : fixedPath_(std::move(path)) {}
    ~ThumbnailCache() { close(); }
    ThumbnailCache(const ThumbnailCache&) = delete;
    ThumbnailCache& operator=(const ThumbnailCache&) = delete;

    // Opens the cache file for a session with `pictureCount` pictures (which
    // costs nothing: records are read as they are asked for). A file without
    // the cache's header, or larger than any cache can be, is started afresh.
    // False when the file cannot be opened for reading and writing: the
    // session then runs without a cache.
    bool open(std::uint32_t pictureCount);
    bool isOpen() const { return fd_ >= 0; }

    // Copies the cached thumbnail into `destination` when the cache holds a
    // sound record for exactly this key.
    bool lookup(const ThumbnailKey& key, std::span<std::uint8_t> destination);
    // Keeps (or replaces) the thumbnail of the key's picture.
    void store(const ThumbnailKey& key, std::span<const std::uint8_t> dib);

    // Lets the file go; every record is in it already.
    void close();

    const std::string& path() const { return path_; }

private:
    using Record = std::vector<std::uint8_t>;
    // The record of the key's picture when it is sound and carries the key.
    bool readSoundRecord(const ThumbnailKey& key, Record& record) const;
    void writeRecord(std::uint32_t pictureNumber, Record& record);
    void startAfresh();

    std::string fixedPath_;
    std::string path_;
    int fd_ = -1;
};

}  // namespace qm::device::imaging
