#include "platform/kernel/pool.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <unordered_map>

namespace qm::kernel {

namespace {

// Refuses requests no real pool could satisfy, before they reach malloc.
inline constexpr SIZE_T kLargestBlock = SIZE_T(1) << 31;

struct Block {
    SIZE_T size;
    ULONG tag;
};

struct PoolBook {
    std::mutex lock;
    std::unordered_map<void*, Block> blocks;
    std::map<ULONG, sim::PoolUsage> byTag;
    ULONG succeedBeforeFailing = 0;
    ULONG failuresLeft = 0;
};

PoolBook& book()
{
    static PoolBook* instance = new PoolBook;
    return *instance;
}

bool injectedFailure(PoolBook& pool)
{
    if (pool.failuresLeft == 0)
        return false;
    if (pool.succeedBeforeFailing > 0) {
        --pool.succeedBeforeFailing;
        return false;
    }
    --pool.failuresLeft;
    return true;
}

}  // namespace

PVOID ExAllocatePoolWithTag(POOL_TYPE type, SIZE_T numberOfBytes, ULONG tag)
{
    const KIRQL irql = KeGetCurrentIrql();
    if (irql > DISPATCH_LEVEL || ((type & 1) == PagedPool && irql > APC_LEVEL)) {
        KeBugCheckEx(BAD_POOL_CALLER, 0x9, irql, ULONG_PTR(type), ULONG_PTR(numberOfBytes));
        return nullptr;
    }
    if (numberOfBytes >= kLargestBlock)
        return nullptr;
    PoolBook& pool = book();
    std::lock_guard<std::mutex> guard(pool.lock);
    if (injectedFailure(pool))
        return nullptr;
    void* block = std::malloc(numberOfBytes == 0 ? 1 : numberOfBytes);
    if (block == nullptr)
        return nullptr;
    pool.blocks.emplace(block, Block{numberOfBytes, tag});
    sim::PoolUsage& usage = pool.byTag[tag];
    ++usage.blocks;
    usage.bytes += numberOfBytes;
    return block;
}

PVOID ExAllocatePool(POOL_TYPE type, SIZE_T numberOfBytes)
{
    return ExAllocatePoolWithTag(type, numberOfBytes, kUntaggedPoolTag);
}

namespace {

void freeBlock(PVOID block, const ULONG* expectedTag)
{
    if (KeGetCurrentIrql() > DISPATCH_LEVEL) {
        KeBugCheckEx(BAD_POOL_CALLER, 0x46, reinterpret_cast<ULONG_PTR>(block), KeGetCurrentIrql(), 0);
        return;
    }
    PoolBook& pool = book();
    std::unique_lock<std::mutex> guard(pool.lock);
    auto found = pool.blocks.find(block);
    if (found == pool.blocks.end()) {
        guard.unlock();
        // Not a live block: a double free or a stray pointer.
        KeBugCheckEx(BAD_POOL_CALLER, 0x7, 0, reinterpret_cast<ULONG_PTR>(block), 0);
        return;
    }
    if (expectedTag != nullptr && found->second.tag != *expectedTag) {
        const ULONG actual = found->second.tag;
        guard.unlock();
        KeBugCheckEx(BAD_POOL_CALLER, 0xA, reinterpret_cast<ULONG_PTR>(block), actual, *expectedTag);
        return;
    }
    sim::PoolUsage& usage = pool.byTag[found->second.tag];
    --usage.blocks;
    usage.bytes -= found->second.size;
    pool.blocks.erase(found);
    std::free(block);
}

}  // namespace

void ExFreePoolWithTag(PVOID block, ULONG tag) { freeBlock(block, &tag); }

void ExFreePool(PVOID block) { freeBlock(block, nullptr); }

SIZE_T RtlCompareMemory(const void* source1, const void* source2, SIZE_T length)
{
    const auto* a = static_cast<const UCHAR*>(source1);
    const auto* b = static_cast<const UCHAR*>(source2);
    SIZE_T same = 0;
    while (same < length && a[same] == b[same])
        ++same;
    return same;
}

namespace sim {

PoolUsage poolUsage(ULONG tag)
{
    PoolBook& pool = book();
    std::lock_guard<std::mutex> guard(pool.lock);
    auto found = pool.byTag.find(tag);
    return found == pool.byTag.end() ? PoolUsage{} : found->second;
}

PoolUsage poolUsage()
{
    PoolBook& pool = book();
    std::lock_guard<std::mutex> guard(pool.lock);
    PoolUsage total;
    for (const auto& [tag, usage] : pool.byTag) {
        total.blocks += usage.blocks;
        total.bytes += usage.bytes;
    }
    return total;
}

void failPoolAllocations(ULONG succeed, ULONG fail)
{
    PoolBook& pool = book();
    std::lock_guard<std::mutex> guard(pool.lock);
    pool.succeedBeforeFailing = succeed;
    pool.failuresLeft = fail;
}

}  // namespace sim

}  // namespace qm::kernel
