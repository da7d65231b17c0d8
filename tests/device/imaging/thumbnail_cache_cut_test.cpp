// A thumbnail record whose write a crash cuts short at any byte: the cache
// must find either the whole old thumbnail, the whole new one, or none,
// never a mixture. The cut is made by standing in for pwrite(), through
// which the cache writes its file: while a budget is set, writes stop
// after that many bytes and then fail.
#include <sys/syscall.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "device/imaging/thumbnail.h"
#include "device/imaging/thumbnail_cache.h"
#include "platform/system/files.h"
#include "tests/device/imaging/test_pictures.h"
#include "tests/support/temp_dir.h"

namespace {

long writeBudget = -1;  // bytes still written; -1: no limit

}  // namespace

extern "C" ssize_t pwrite(int fd, const void* data, size_t size, off_t offset)
{
    if (writeBudget == 0) {
        errno = EIO;
        return -1;
    }
    if (writeBudget > 0) {
        size = std::min(size, std::size_t(writeBudget));
        writeBudget -= long(size);
    }
    return ::syscall(SYS_pwrite64, fd, data, size, offset);
}

namespace qm::device::imaging {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ThumbnailCacheCut, ARecordCutAtAnyByteIsNeverTrustedHalfWritten)
{
    qm::test::TempDir dir;
    const std::string path = dir.path() + "/Thumbnl.Tmp";
    const Bytes oldThumbnail = testing::shadedThumbnail(10);
    const Bytes newThumbnail = testing::shadedThumbnail(20);
    const ThumbnailKey oldKey{1, 1000, 7};
    const ThumbnailKey newKey{1, 2000, 8};
    {
        ThumbnailCache cache(path);
        ASSERT_TRUE(cache.open(1));
        cache.store(oldKey, oldThumbnail);
    }
    const Bytes original = sys::readWholeFile(path).value_or(Bytes{});
    ASSERT_EQ(original.size(), kThumbnailCacheHeaderSize + kThumbnailCacheRecordSize);

    // The record and then its 4-byte picture number, cut after every byte of
    // the record header, the bitmap header and the tail, and after every
    // 97th byte in between, where one byte is like the next.
    const long whole = long(kThumbnailCacheRecordSize + 4);
    for (long cut = 0; cut <= whole; cut += cut < 128 || cut > whole - 128 ? 1 : 97) {
        qm::test::writeTextFile(path, std::string(original.begin(), original.end()));
        {
            ThumbnailCache cache(path);
            ASSERT_TRUE(cache.open(1));
            writeBudget = cut;
            cache.store(newKey, newThumbnail);
            writeBudget = -1;
        }
        ThumbnailCache cache(path);
        ASSERT_TRUE(cache.open(1));
        Bytes found(kThumbnailDibSize, 0);
        SCOPED_TRACE(::testing::Message() << "cut after " << cut << " bytes");
        const bool oldFound = cache.lookup(oldKey, found);
        if (oldFound) {
            ASSERT_EQ(found, oldThumbnail);
        }
        const bool newFound = cache.lookup(newKey, found);
        if (newFound) {
            ASSERT_EQ(found, newThumbnail);
        }
        // Before anything was written the old record stands; once the whole
        // record and its number (picture 1: its first byte) are written the
        // new one does.
        ASSERT_EQ(oldFound, cut == 0);
        ASSERT_EQ(newFound, cut > long(kThumbnailCacheRecordSize));
    }
}

}  // namespace
}  // namespace qm::device::imaging
