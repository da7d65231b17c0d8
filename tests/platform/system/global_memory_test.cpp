#include "platform/system/global_memory.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(globalBlocksOutstanding(), before + 1);
    std::free(handle);  // what a TWAIN application does with a native transfer

    // A block the application allocated itself reports its usable size, and
    // a stale record never makes a smaller block look larger.
    void* foreign = std::calloc(8, 1);
    EXPECT_GE(GlobalSize(foreign), 8u);
    EXPECT_EQ(GlobalLock(foreign), foreign);
    std::free(foreign);
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
