// The thumbnail cache file: hits, misses, replaced pictures, and files that
// must not be trusted.
#include "device/imaging/thumbnail_cache.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <vector>

#include "device/imaging/thumbnail.h"
#include "platform/system/byte_order.h"
#include "platform/system/files.h"
#include "tests/device/imaging/test_pictures.h"
#include "tests/support/windows_dir.h"

namespace qm::device::imaging {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes fileBytes(const std::string& path) { return sys::readWholeFile(path).value_or(Bytes{}); }

constexpr std::size_t recordAt(std::uint32_t n) { return 16 + std::size_t(n - 1) * kThumbnailCacheRecordSize; }

class ThumbnailCacheTest : public ::testing::Test {
protected:
    test::WindowsDir windows_;
    std::string path_ = windows_.installDirectory() + "/Thumbnl.Tmp";

    // What a lookup finds: the shade of the thumbnail, or -1 for a miss.
    static int lookupShade(ThumbnailCache& cache, const ThumbnailKey& key)
    {
        Bytes dib(kThumbnailDibSize, 0);
        if (!cache.lookup(key, dib))
            return -1;
        return dib[kDibHeaderSize];
    }
};

TEST_F(ThumbnailCacheTest, LivesBesideKvbIniAndStartsWithItsHeader)
{
    ThumbnailCache cache;
    ASSERT_TRUE(cache.open(3));
    EXPECT_EQ(cache.path(), path_);
    cache.close();
    EXPECT_EQ(fileBytes(path_), (Bytes{0xED, 0xF5, 0xE8, 0xFC, 80, 0, 0, 0, 60, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(ThumbnailCacheTest, UsesTheTemporaryDirectoryWithoutAnInstallDirectory)
{
    std::filesystem::remove_all(windows_.installDirectory());
    ThumbnailCache cache;
    ASSERT_TRUE(cache.open(0));
    EXPECT_EQ(cache.path(), windows_.path() + "/tmp/Thumbnl.Tmp");
}

TEST_F(ThumbnailCacheTest, HitsOnlyForTheSamePictureSizeAndSecondKey)
{
    ThumbnailCache cache;
    ASSERT_TRUE(cache.open(5));
    EXPECT_EQ(lookupShade(cache, {2, 1000, 77}), -1);
    cache.store({2, 1000, 77}, testing::shadedThumbnail(42));
    EXPECT_EQ(lookupShade(cache, {2, 1000, 77}), 42);
    EXPECT_EQ(lookupShade(cache, {2, 1001, 77}), -1);
    EXPECT_EQ(lookupShade(cache, {2, 1000, 78}), -1);
    EXPECT_EQ(lookupShade(cache, {1, 1000, 77}), -1);
    EXPECT_EQ(lookupShade(cache, {3, 1000, 77}), -1);
    EXPECT_EQ(lookupShade(cache, {0, 0, 0}), -1);
}

TEST_F(ThumbnailCacheTest, AChangedPictureIsReplaced)
{
    ThumbnailCache cache;
    ASSERT_TRUE(cache.open(1));
    cache.store({1, 1000, 7}, testing::shadedThumbnail(10));
    cache.store({1, 2000, 7}, testing::shadedThumbnail(20));
    EXPECT_EQ(lookupShade(cache, {1, 1000, 7}), -1);
    EXPECT_EQ(lookupShade(cache, {1, 2000, 7}), 20);
}

TEST_F(ThumbnailCacheTest, RecordsReachTheFileAtOnceAndSurviveTheSession)
{
    {
        ThumbnailCache cache;
        ASSERT_TRUE(cache.open(3));
        cache.store({3, 0x11223344, 0x55667788}, testing::shadedThumbnail(99));
        const Bytes file = fileBytes(path_);
        ASSERT_EQ(file.size(), recordAt(4));
        const std::uint8_t* record = file.data() + recordAt(3);
        EXPECT_EQ(sys::readLe32(record), 3u);
        EXPECT_EQ(sys::readLe32(record + 4), 0x11223344u);
        EXPECT_EQ(sys::readLe32(record + 8), 0x55667788u);
        EXPECT_EQ(sys::readLe32(record + 12), 0u);
        EXPECT_EQ(record[16], 40);  // the DIB's header size
        EXPECT_EQ(record[16 + kDibHeaderSize], 99);
    }
    ThumbnailCache next;
    ASSERT_TRUE(next.open(3));
    EXPECT_EQ(lookupShade(next, {3, 0x11223344, 0x55667788}), 99);
    EXPECT_EQ(lookupShade(next, {1, 0, 0}), -1);  // the unused records in front are zero
}

TEST_F(ThumbnailCacheTest, FilesWithoutTheCacheHeaderStartAfresh)
{
    Bytes good;
    {
        ThumbnailCache cache;
        ASSERT_TRUE(cache.open(1));
        cache.store({1, 5, 6}, testing::shadedThumbnail(33));
        cache.close();
        good = fileBytes(path_);
    }
    auto reopenFinds = [&](const Bytes& content) {
        test::writeTextFile(path_, std::string(content.begin(), content.end()));
        ThumbnailCache cache;
        EXPECT_TRUE(cache.open(1));
        const int shade = lookupShade(cache, {1, 5, 6});
        cache.close();
        EXPECT_EQ(fileBytes(path_).size(), 16u) << "the untrusted file is reset to its header";
        return shade;
    };
    Bytes foreignMagic = good;
    foreignMagic[0] ^= 1;
    EXPECT_EQ(reopenFinds(foreignMagic), -1);
    Bytes otherThumbnailSize = good;
    otherThumbnailSize[4] = 160;
    EXPECT_EQ(reopenFinds(otherThumbnailSize), -1);
    EXPECT_EQ(reopenFinds(Bytes(good.begin(), good.begin() + 10)), -1);
    EXPECT_EQ(reopenFinds(Bytes{}), -1);
}

TEST_F(ThumbnailCacheTest, RecordsThatAreCutShortOrForeignAreNotTrusted)
{
    {
        ThumbnailCache cache;
        ASSERT_TRUE(cache.open(4));
        cache.store({1, 1, 1}, testing::shadedThumbnail(1));
        cache.store({2, 2, 2}, testing::shadedThumbnail(2));
        cache.store({3, 3, 3}, testing::shadedThumbnail(3));
    }
    Bytes file = fileBytes(path_);
    ASSERT_EQ(file.size(), recordAt(4));
    sys::writeLe32(file.data() + recordAt(1), 4);          // record 1 claims picture 4
    file[recordAt(2) + 16 + 4] = 81;                       // record 2's bitmap is 81 wide
    file.resize(recordAt(3) + kThumbnailCacheRecordSize / 2);  // record 3 cut in half
    test::writeTextFile(path_, std::string(file.begin(), file.end()));

    ThumbnailCache cache;
    ASSERT_TRUE(cache.open(4));
    EXPECT_EQ(lookupShade(cache, {1, 1, 1}), -1);
    EXPECT_EQ(lookupShade(cache, {4, 1, 1}), -1);
    EXPECT_EQ(lookupShade(cache, {2, 2, 2}), -1);
    EXPECT_EQ(lookupShade(cache, {3, 3, 3}), -1);
    // The cache still works: the broken records are simply replaced.
    cache.store({3, 3, 3}, testing::shadedThumbnail(30));
    EXPECT_EQ(lookupShade(cache, {3, 3, 3}), 30);
    cache.close();
    EXPECT_EQ(fileBytes(path_).size(), recordAt(4));
}

// A reconnect opens the new session's cache before the old session ends;
// both write records until then.
TEST_F(ThumbnailCacheTest, OverlappingSessionsKeepEachOthersRecords)
{
    auto old = std::make_unique<ThumbnailCache>();
    ASSERT_TRUE(old->open(4));
    ThumbnailCache fresh;
    ASSERT_TRUE(fresh.open(4));
    old->store({1, 1, 1}, testing::shadedThumbnail(11));
    fresh.store({2, 2, 2}, testing::shadedThumbnail(22));
    EXPECT_EQ(lookupShade(fresh, {1, 1, 1}), 11);
    old.reset();  // the old session ends
    fresh.store({3, 3, 3}, testing::shadedThumbnail(33));
    fresh.close();

    ThumbnailCache next;
    ASSERT_TRUE(next.open(4));
    EXPECT_EQ(lookupShade(next, {1, 1, 1}), 11);
    EXPECT_EQ(lookupShade(next, {2, 2, 2}), 22);
    EXPECT_EQ(lookupShade(next, {3, 3, 3}), 33);
}

// Bytes this process has read through read() and pread() so far.
std::optional<std::uint64_t> bytesReadByProcess()
{
    std::ifstream io("/proc/self/io");
    std::string field;
    std::uint64_t value = 0;
    while (io >> field >> value)
        if (field == "rchar:")
            return value;
    return std::nullopt;
}

TEST_F(ThumbnailCacheTest, AHugeFileIsNeverReadWhole)
{
    {
        ThumbnailCache cache;
        ASSERT_TRUE(cache.open(1));
        cache.store({1, 1, 1}, testing::shadedThumbnail(5));
    }
    // A sound header and record 1, then 256 MB of nothing (a sparse file).
    std::filesystem::resize_file(path_, std::uintmax_t(256) << 20);
    const std::optional<std::uint64_t> before = bytesReadByProcess();
    if (!before)
        GTEST_SKIP() << "no /proc/self/io";
    {
        ThumbnailCache cache;
        ASSERT_TRUE(cache.open(0xFFFF));
        EXPECT_EQ(lookupShade(cache, {1, 1, 1}), 5);
        EXPECT_EQ(lookupShade(cache, {9000, 1, 1}), -1);
    }
    EXPECT_LT(*bytesReadByProcess() - *before, std::uint64_t(1) << 20);
    EXPECT_EQ(std::filesystem::file_size(path_), std::uintmax_t(256) << 20) << "nothing written back";

    // No cache of 65535 pictures is this large: the file is not a cache.
    std::filesystem::resize_file(path_, std::uintmax_t(1) << 30);
    ThumbnailCache cache;
    ASSERT_TRUE(cache.open(1));
    EXPECT_EQ(lookupShade(cache, {1, 1, 1}), -1);
    EXPECT_EQ(std::filesystem::file_size(path_), 16u);
}

TEST_F(ThumbnailCacheTest, AFileThatCannotBeOpenedMeansNoCaching)
{
    ThumbnailCache cache(windows_.path() + "/missing/Thumbnl.Tmp");
    EXPECT_FALSE(cache.open(2));
    cache.store({1, 1, 1}, testing::shadedThumbnail(1));
    EXPECT_EQ(lookupShade(cache, {1, 1, 1}), -1);
    cache.close();
    EXPECT_FALSE(std::filesystem::exists(windows_.path() + "/missing"));
}

TEST_F(ThumbnailCacheTest, LookupWritesNothingIntoAShortBuffer)
{
    ThumbnailCache cache;
    ASSERT_TRUE(cache.open(1));
    cache.store({1, 1, 1}, testing::shadedThumbnail(7));
    Bytes dib(kThumbnailDibSize, 0xEE);
    EXPECT_FALSE(cache.lookup({1, 1, 1}, std::span(dib).first(kThumbnailDibSize - 1)));
    EXPECT_TRUE(std::all_of(dib.begin(), dib.end(), [](std::uint8_t b) { return b == 0xEE; }));
    // A short thumbnail is not stored either.
    cache.store({1, 9, 9}, std::span(dib).first(100));
    EXPECT_EQ(lookupShade(cache, {1, 9, 9}), -1);
    EXPECT_EQ(lookupShade(cache, {1, 1, 1}), 7);
}

}  // namespace
}  // namespace qm::device::imaging
