#include "platform/kernel/pool.h"

#include <cstring>

#include "tests/platform/kernel/sim_fixture.h"

namespace qm::kernel {
namespace {

class Pool : public test::SimulatedKernelTest {};

constexpr ULONG kTagA = makePoolTag("TstA");
constexpr ULONG kTagB = makePoolTag("TstB");

TEST_F(Pool, TagsSpellInMemoryOrder)
{
    const ULONG tag = makePoolTag("Wdm ");
    EXPECT_EQ(std::memcmp(&tag, "Wdm ", 4), 0);
}

TEST_F(Pool, UsageIsAccountedPerTagUntilFreed)
{
    const sim::PoolUsage beforeA = sim::poolUsage(kTagA);
    const sim::PoolUsage beforeAll = sim::poolUsage();
    PVOID a1 = ExAllocatePoolWithTag(NonPagedPool, 613, kTagA);
    PVOID a2 = ExAllocatePoolWithTag(NonPagedPool, 614400, kTagA);
    PVOID b = ExAllocatePoolWithTag(PagedPool, 10, kTagB);
    ASSERT_NE(a1, nullptr);
    ASSERT_NE(a2, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(sim::poolUsage(kTagA).blocks, beforeA.blocks + 2);
    EXPECT_EQ(sim::poolUsage(kTagA).bytes, beforeA.bytes + 613 + 614400);
    EXPECT_EQ(sim::poolUsage().blocks, beforeAll.blocks + 3);
    ExFreePoolWithTag(a1, kTagA);
    ExFreePool(a2);
    ExFreePool(b);
    EXPECT_EQ(sim::poolUsage(kTagA), beforeA);
    EXPECT_EQ(sim::poolUsage(), beforeAll);
    EXPECT_TRUE(bugChecks().empty());
}

TEST_F(Pool, FreeingWithTheWrongTagOrTwiceIsABugCheck)
{
    PVOID block = ExAllocatePoolWithTag(NonPagedPool, 16, kTagA);
    ExFreePoolWithTag(block, kTagB);
    EXPECT_EQ(bugCheckCodes(), std::vector<ULONG>{BAD_POOL_CALLER});
    // Refused: the block is still there and can be freed properly.
    EXPECT_EQ(sim::poolUsage(kTagA).blocks, 1u);
    ExFreePoolWithTag(block, kTagA);
    ExFreePool(block);
    EXPECT_EQ(bugCheckCodes().size(), 2u);
    EXPECT_EQ(sim::poolUsage(kTagA).blocks, 0u);
}

TEST_F(Pool, PagedPoolIsNotForDispatchLevel)
{
    KIRQL old;
    KeRaiseIrql(DISPATCH_LEVEL, &old);
    EXPECT_EQ(ExAllocatePoolWithTag(PagedPool, 16, kTagA), nullptr);
    PVOID block = ExAllocatePoolWithTag(NonPagedPool, 16, kTagA);
    EXPECT_NE(block, nullptr);
    ExFreePool(block);
    KeLowerIrql(old);
    EXPECT_EQ(bugCheckCodes(), std::vector<ULONG>{BAD_POOL_CALLER});
}

TEST_F(Pool, InjectedFailuresComeAfterTheAllowedAllocations)
{
    sim::failPoolAllocations(1, 2);
    PVOID first = ExAllocatePoolWithTag(NonPagedPool, 8, kTagA);
    PVOID second = ExAllocatePoolWithTag(NonPagedPool, 8, kTagA);
    PVOID third = ExAllocatePoolWithTag(NonPagedPool, 8, kTagA);
    PVOID fourth = ExAllocatePoolWithTag(NonPagedPool, 8, kTagA);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(third, nullptr);
    EXPECT_NE(fourth, nullptr);
    ExFreePool(first);
    ExFreePool(fourth);
    sim::failPoolAllocations(0, 0);
}

TEST_F(Pool, ImpossibleSizesFailInsteadOfReachingTheAllocator)
{
    EXPECT_EQ(ExAllocatePoolWithTag(NonPagedPool, SIZE_T(-1), kTagA), nullptr);
    EXPECT_EQ(sim::poolUsage(kTagA).blocks, 0u);
}

}  // namespace
}  // namespace qm::kernel
