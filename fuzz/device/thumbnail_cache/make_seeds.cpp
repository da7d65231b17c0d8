// Writes the thumbnail-cache seed corpus with the cache itself: a fresh
// file, one with three records and a gap, and one cut inside a record.
// Usage: device_thumbnail_cache_fuzz_seeds <corpus directory>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "device/imaging/thumbnail.h"
#include "device/imaging/thumbnail_cache.h"

using namespace qm::device::imaging;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    std::vector<std::uint8_t> dib(kThumbnailDibSize);
    writePlaceholderThumbnail(dib);
    {
        ThumbnailCache fresh(dir + "/fresh");
        if (!fresh.open(0))
            return 1;
    }
    {
        ThumbnailCache cache(dir + "/three_records");
        if (!cache.open(4))
            return 1;
        for (std::uint32_t n : {1u, 2u, 4u}) {
            std::fill(dib.begin() + 40, dib.end(), std::uint8_t(n * 50));
            cache.store({n, 1000 * n, 7 * n}, dib);
        }
    }
    std::filesystem::copy_file(dir + "/three_records", dir + "/cut_record");
    std::filesystem::resize_file(dir + "/cut_record", kThumbnailCacheHeaderSize + kThumbnailCacheRecordSize + 100);
    return 0;
}
