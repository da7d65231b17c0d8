#include "platform/kernel/spin_lock.h"

#include <thread>
#include <vector>

#include "tests/platform/kernel/sim_fixture.h"

namespace qm::kernel {
namespace {

class IrqlAndSpinLocks : public test::SimulatedKernelTest {};

TEST_F(IrqlAndSpinLocks, ASpinLockRaisesToDispatchLevelUntilReleased)
{
    KSPIN_LOCK lock;
    KeInitializeSpinLock(&lock);
    EXPECT_EQ(KeGetCurrentIrql(), PASSIVE_LEVEL);
    KIRQL old;
    KeAcquireSpinLock(&lock, &old);
    EXPECT_EQ(old, PASSIVE_LEVEL);
    EXPECT_EQ(KeGetCurrentIrql(), DISPATCH_LEVEL);
    KeReleaseSpinLock(&lock, old);
    EXPECT_EQ(KeGetCurrentIrql(), PASSIVE_LEVEL);
    EXPECT_TRUE(bugChecks().empty());
}

TEST_F(IrqlAndSpinLocks, LevelsAreKeptPerThread)
{
    KIRQL old;
    KeRaiseIrql(DISPATCH_LEVEL, &old);
    KIRQL seenElsewhere = HIGH_LEVEL;
    std::thread other([&] { seenElsewhere = KeGetCurrentIrql(); });
    other.join();
    EXPECT_EQ(seenElsewhere, PASSIVE_LEVEL);
    KeLowerIrql(old);
}

TEST_F(IrqlAndSpinLocks, BreakingTheLevelRulesIsABugCheck)
{
    KIRQL old;
    KeRaiseIrql(DISPATCH_LEVEL, &old);
    KeRaiseIrql(APC_LEVEL, &old);  // lower than the current level
    KeLowerIrql(PASSIVE_LEVEL);
    KeLowerIrql(DISPATCH_LEVEL);  // higher than the current level
    EXPECT_EQ(bugCheckCodes(), (std::vector<ULONG>{IRQL_NOT_GREATER_OR_EQUAL, IRQL_NOT_LESS_OR_EQUAL}));
    EXPECT_EQ(KeGetCurrentIrql(), PASSIVE_LEVEL);

    KSPIN_LOCK lock;
    KeInitializeSpinLock(&lock);
    KeAcquireSpinLockAtDpcLevel(&lock);  // not at dispatch level
    EXPECT_EQ(bugCheckCodes().back(), IRQL_NOT_GREATER_OR_EQUAL);
}

TEST_F(IrqlAndSpinLocks, AcquiringAHeldLockOrReleasingAFreeOneIsABugCheck)
{
    KSPIN_LOCK lock;
    KeInitializeSpinLock(&lock);
    KIRQL old;
    KeAcquireSpinLock(&lock, &old);
    KeAcquireSpinLockAtDpcLevel(&lock);
    EXPECT_EQ(bugCheckCodes(), std::vector<ULONG>{SPIN_LOCK_ALREADY_OWNED});
    KeReleaseSpinLock(&lock, old);
    KeRaiseIrql(DISPATCH_LEVEL, &old);
    KeReleaseSpinLock(&lock, old);
    EXPECT_EQ(bugCheckCodes().back(), SPIN_LOCK_NOT_OWNED);
    EXPECT_EQ(KeGetCurrentIrql(), PASSIVE_LEVEL);
}

TEST_F(IrqlAndSpinLocks, ASpinLockExcludesOtherThreads)
{
    KSPIN_LOCK lock;
    KeInitializeSpinLock(&lock);
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 5000; ++i) {
                KIRQL old;
                KeAcquireSpinLock(&lock, &old);
                const long seen = counter;
                counter = seen + 1;
                KeReleaseSpinLock(&lock, old);
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 20000);
}

TEST_F(IrqlAndSpinLocks, InterlockedListsKeepTheirOrder)
{
    struct Item {
        LIST_ENTRY link;
        int value;
    } items[3] = {{{}, 1}, {{}, 2}, {{}, 3}};
    LIST_ENTRY head;
    InitializeListHead(&head);
    KSPIN_LOCK lock;
    KeInitializeSpinLock(&lock);
    EXPECT_EQ(ExInterlockedInsertTailList(&head, &items[1].link, &lock), nullptr);
    EXPECT_EQ(ExInterlockedInsertTailList(&head, &items[2].link, &lock), &items[1].link);
    ExInterlockedInsertHeadList(&head, &items[0].link, &lock);
    std::vector<int> order;
    while (PLIST_ENTRY entry = ExInterlockedRemoveHeadList(&head, &lock))
        order.push_back(CONTAINING_RECORD(entry, Item, link)->value);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(KeGetCurrentIrql(), PASSIVE_LEVEL);
}

TEST_F(IrqlAndSpinLocks, InterlockedOperationsReturnWhatTheKernelsDo)
{
    LONG value = -1;
    EXPECT_EQ(InterlockedIncrement(&value), 0);
    EXPECT_EQ(InterlockedDecrement(&value), -1);
    EXPECT_EQ(InterlockedExchange(&value, 7), -1);
    EXPECT_EQ(InterlockedExchangeAdd(&value, 3), 7);
    EXPECT_EQ(InterlockedCompareExchange(&value, 1, 99), 10);  // no match: unchanged
    EXPECT_EQ(InterlockedCompareExchange(&value, 1, 10), 10);
    EXPECT_EQ(value, 1);
}

}  // namespace
}  // namespace qm::kernel
