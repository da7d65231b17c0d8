#include <gtest/gtest.h>

#include <thread>

#include "platform/system/byte_order.h"
#include "platform/system/last_error.h"
#include "platform/system/threads.h"
#include "platform/system/timing.h"
#include "platform/system/trace.h"
#include "tests/support/temp_dir.h"

namespace qm::sys {
namespace {

TEST(LastError, IsKeptPerThread)
{
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD seenByOther = 1234;
    std::thread([&] { seenByOther = GetLastError(); }).join();
    EXPECT_EQ(seenByOther, ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(Timing, TickCountAdvancesAcrossASleep)
{
    const auto before = GetTickCount();
    Sleep(20);
    const auto elapsed = GetTickCount() - before;
    EXPECT_GE(elapsed, 19u);
}

TEST(Threads, LoweringPriorityWorksAndIsReported)
{
    std::thread([] {
        EXPECT_TRUE(SetThreadPriority(THREAD_PRIORITY_LOWEST));
        EXPECT_EQ(GetThreadPriority(), THREAD_PRIORITY_LOWEST);
    }).join();
    EXPECT_EQ(GetThreadPriority(), THREAD_PRIORITY_NORMAL);
}

TEST(Threads, TheModuleLockIsRecursiveAndExcludesOtherThreads)
{
    ModuleEntryGuard outer;
    {
        ModuleEntryGuard inner;  // a module calling another on the same thread
    }
    bool otherGotIt = true;
    std::thread([&] { otherGotIt = moduleLock().try_lock(); }).join();
    EXPECT_FALSE(otherGotIt);
}

TEST(Trace, WritesOnlyWhenAFileIsNamed)
{
    test::TempDir dir;
    const std::string file = dir.file("trace.log");
    {
        test::ScopedEnv off("QM4200_TRACE", std::nullopt);
        trace("ignored\n");
    }
    test::ScopedEnv on("QM4200_TRACE", file);
    trace("Twain::DS_Entry(DG_CONTROL,DAT_IDENTITY,MSG_GET) State3 \n");
    trace("second");
    EXPECT_EQ(test::readTextFile(file), "Twain::DS_Entry(DG_CONTROL,DAT_IDENTITY,MSG_GET) State3 \nsecond\n");
}

TEST(ByteOrder, ReadsAndWritesBothOrders)
{
    uint8_t buffer[4];
    writeLe32(buffer, 0x12345678);
    EXPECT_EQ(buffer[0], 0x78);
    EXPECT_EQ(readLe32(buffer), 0x12345678u);
    EXPECT_EQ(readBe32(buffer), 0x78563412u);
    writeBe16(buffer, 0x0400);
    EXPECT_EQ(buffer[0], 0x04);
    EXPECT_EQ(readLe16(buffer), 0x0004);
}

}  // namespace
}  // namespace qm::sys
