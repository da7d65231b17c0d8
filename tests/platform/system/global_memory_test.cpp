#include "platform/system/global_memory.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <cstdlib>
#include <cstring>

#include "platform/system/last_error.h"

namespace qm::sys {
namespace {

TEST(GlobalMemory, BlocksAreZeroFilledAndLockingReturnsTheBlockItself)
{
    HGLOBAL handle = GlobalAlloc(GHND, 1000);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GlobalSize(handle), 1000u);
    auto* bytes = static_cast<unsigned char*>(GlobalLock(handle));
    ASSERT_EQ(static_cast<void*>(bytes), handle);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(GlobalFlags(handle), 1u);
    EXPECT_FALSE(GlobalUnlock(handle));
    EXPECT_EQ(GetLastError(), NO_ERROR);
    EXPECT_EQ(GlobalFree(handle), nullptr);
}

TEST(GlobalMemory, UnlockReportsNestedLocksAndUnlockedBlocks)
{
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, 16);
    GlobalLock(handle);
    GlobalLock(handle);
    EXPECT_TRUE(GlobalUnlock(handle));
    EXPECT_FALSE(GlobalUnlock(handle));
    EXPECT_EQ(GetLastError(), NO_ERROR);
    EXPECT_FALSE(GlobalUnlock(handle));
    EXPECT_EQ(GetLastError(), ERROR_NOT_LOCKED);
    GlobalFree(handle);
}

TEST(GlobalMemory, AnApplicationMayFreeAHandedOverBlockWithFree)
{
    const std::size_t before = globalBlocksOutstanding();
    HGLOBAL handle = GlobalAlloc(GHND, 64);
    GlobalLock(handle);
    EXPECT_EQ(globalBlocksOutstanding(), before + 1);
    GlobalUnlock(handle);
    GlobalHandOver(handle);
    EXPECT_EQ(globalBlocksOutstanding(), before);
    std::free(handle);  // what a TWAIN application does with a native transfer

    // Blocks the application allocates, at whatever address, report their
    // own usable size and no locks of an earlier block.
    for (int round = 0; round < 8; ++round) {
        HGLOBAL ours = GlobalAlloc(GHND, 40);
        GlobalLock(ours);
        GlobalHandOver(ours);
        std::free(ours);
        void* foreign = std::calloc(24, 1);
        EXPECT_EQ(GlobalSize(foreign), malloc_usable_size(foreign)) << "round " << round;
        EXPECT_EQ(GlobalFlags(foreign), 0u);
        EXPECT_EQ(GlobalLock(foreign), foreign);
        EXPECT_FALSE(GlobalUnlock(foreign));
        std::free(foreign);
    }
    EXPECT_EQ(globalBlocksOutstanding(), before);
}

// A block an application freed without the platform knowing leaves a stale
// record; a later block at that address never reports more than it holds.
TEST(GlobalMemory, AStaleRecordNeverMakesABlockLookLarger)
{
    for (int round = 0; round < 8; ++round) {
        HGLOBAL ours = GlobalAlloc(GHND, 200);
        std::free(ours);
        void* foreign = std::calloc(16, 1);
        EXPECT_LE(GlobalSize(foreign), malloc_usable_size(foreign));
        GlobalFree(foreign);  // drops whatever record the address had
    }
}

TEST(GlobalMemory, NullHandlesAreRefusedSafely)
{
    EXPECT_EQ(GlobalLock(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GlobalSize(nullptr), 0u);
    EXPECT_EQ(GlobalFree(nullptr), nullptr);
}

}  // namespace
}  // namespace qm::sys
