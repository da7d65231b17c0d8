// Fuzzes the thumbnail cache file: the input is a whole Thumbnl.Tmp. The
// cache opens it, looks up the records it claims to hold (and a few it does
// not), stores one and closes. A lookup writes exactly one thumbnail into a
// buffer of exactly that size; a hit must be a sound 80 x 60 bitmap.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "device/imaging/dib.h"
#include "device/imaging/thumbnail.h"
#include "device/imaging/thumbnail_cache.h"
#include "fuzz/scratch_directory.h"
#include "platform/system/byte_order.h"

namespace {

using namespace qm::device::imaging;

constexpr std::uint32_t kRecordsLooked = 6;

std::string cachePath()
{
    static const qm::fuzz::ScratchDirectory directory("qm4200-fuzz-cache");
    return directory.path() + "/Thumbnl.Tmp";
}

// The key record n carries in the input, as a session that finds its
// picture unchanged would ask for it.
ThumbnailKey claimedKey(const std::uint8_t* data, std::size_t size, std::uint32_t n)
{
    const std::size_t offset = kThumbnailCacheHeaderSize + std::size_t(n - 1) * kThumbnailCacheRecordSize;
    if (offset + kThumbnailCacheRecordHeaderSize > size)
        return {n, n, n};
    return {n, qm::sys::readLe32(data + offset + 4), qm::sys::readLe32(data + offset + 8)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = cachePath();
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    ThumbnailCache cache(path);
    if (!cache.open(kRecordsLooked))
        return 0;
    std::vector<std::uint8_t> dib(kThumbnailDibSize);
    for (std::uint32_t n = 1; n <= kRecordsLooked; ++n) {
        if (!cache.lookup(claimedKey(data, size, n), dib))
            continue;
        const auto geometry = readDibGeometry(dib);
        if (!geometry || geometry->width != 80 || geometry->height != 60)
            std::abort();
    }
    static_cast<void>(cache.lookup({0xFFFF, 1, 1}, dib));
    static_cast<void>(cache.lookup({0, 0, 0}, dib));

    std::vector<std::uint8_t> stored(kThumbnailDibSize, 0x40);
    writePlaceholderThumbnail(stored);
    cache.store({2, 1234, 5678}, stored);
    if (!cache.lookup({2, 1234, 5678}, dib) || dib != stored)
        std::abort();
    cache.close();
    return 0;
}
