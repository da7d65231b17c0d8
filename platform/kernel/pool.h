// Pool memory with tags. Every block is accounted by tag so tests can check
// that a driver gives back what it took; freeing a block that is not a live
// pool block, or with the wrong tag, is a bug check.
#pragma once

#include <cstddef>

#include "platform/kernel/irql.h"

namespace qm::kernel {

enum POOL_TYPE { NonPagedPool = 0, PagedPool = 1, NonPagedPoolMustSucceed = 2, NonPagedPoolCacheAligned = 4 };

// A tag as written in memory order: makePoolTag("Wdm ") is the tag that pool
// listings show as "Wdm ".
constexpr ULONG makePoolTag(const char (&text)[5])
{
    return ULONG(UCHAR(text[0])) | ULONG(UCHAR(text[1])) << 8 | ULONG(UCHAR(text[2])) << 16 |
           ULONG(UCHAR(text[3])) << 24;
}

// The tag of untagged allocations.
inline constexpr ULONG kUntaggedPoolTag = makePoolTag("None");

// Null when the pool is exhausted. Paged pool is for callers below dispatch level.
PVOID ExAllocatePoolWithTag(POOL_TYPE type, SIZE_T numberOfBytes, ULONG tag);
PVOID ExAllocatePool(POOL_TYPE type, SIZE_T numberOfBytes);
void ExFreePoolWithTag(PVOID block, ULONG tag);
void ExFreePool(PVOID block);

inline void RtlZeroMemory(PVOID destination, SIZE_T length) { __builtin_memset(destination, 0, length); }
inline void RtlFillMemory(PVOID destination, SIZE_T length, UCHAR fill) { __builtin_memset(destination, fill, length); }
inline void RtlCopyMemory(PVOID destination, const void* source, SIZE_T length)
{
    __builtin_memcpy(destination, source, length);
}
inline void RtlMoveMemory(PVOID destination, const void* source, SIZE_T length)
{
    __builtin_memmove(destination, source, length);
}
// The number of leading bytes that match.
SIZE_T RtlCompareMemory(const void* source1, const void* source2, SIZE_T length);

namespace sim {

struct PoolUsage {
    std::size_t blocks = 0;
    std::size_t bytes = 0;
    friend bool operator==(const PoolUsage&, const PoolUsage&) = default;
};
// What is allocated now, with one tag or with all of them.
PoolUsage poolUsage(ULONG tag);
PoolUsage poolUsage();
// Fault injection: the next `succeed` allocations work, the `fail` after
// them return null. failPoolAllocations(0, 0) ends it.
void failPoolAllocations(ULONG succeed, ULONG fail);

}  // namespace sim

}  // namespace qm::kernel
