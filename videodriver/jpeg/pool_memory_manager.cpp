#include "videodriver/jpeg/pool_memory_manager.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "videodriver/jpeg/kernel_memory.h"

// Virtual arrays are opaque to the library; each manager defines its own.
// Here they are whole arrays in pool memory, made when the decoder realises
// them.
struct jvirt_sarray_control {
    JSAMPARRAY rows;
    JDIMENSION rowCount;
    JDIMENSION samplesPerRow;
    JDIMENSION maxAccess;
    jvirt_sarray_control* next;
};

struct jvirt_barray_control {
    JBLOCKARRAY rows;
    JDIMENSION rowCount;
    JDIMENSION blocksPerRow;
    JDIMENSION maxAccess;
    jvirt_barray_control* next;
};

namespace qm::morvax {

namespace {

// The library's vector routines expect 32-byte aligned buffers and sample
// rows padded to 64 bytes, which they may read and write in full.
constexpr std::size_t kAlignment = 32;
constexpr std::size_t kRowGranule = 64;
// Small objects share arenas of this size; larger ones get blocks of their own.
constexpr std::size_t kArenaBytes = 16384;
constexpr std::size_t kLargestArenaObject = kArenaBytes / 4;

struct PoolBlock {
    PoolBlock* next;
};

struct PoolMemoryManager {
    jpeg_memory_mgr manager;  // first: the library sees only this part
    jpeg_memory_mgr* library;
    PoolBlock* blocks[JPOOL_NUMPOOLS];
    unsigned char* arenaNext[JPOOL_NUMPOOLS];
    std::size_t arenaLeft[JPOOL_NUMPOOLS];
    jvirt_sarray_control* sampleArrays;
    jvirt_barray_control* blockArrays;
    std::size_t bytesInUse;
    std::size_t byteBudget;
};

PoolMemoryManager& managerOf(j_common_ptr cinfo) { return *reinterpret_cast<PoolMemoryManager*>(cinfo->mem); }

[[noreturn]] void outOfMemory(j_common_ptr cinfo, int which)
{
    ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, which);
    std::abort();  // the decoder's error exit never returns
}

void checkPool(j_common_ptr cinfo, int poolId)
{
    if (poolId < 0 || poolId >= JPOOL_NUMPOOLS)
        ERREXIT1(cinfo, JERR_BAD_POOL_ID, poolId);
}

// Rounds up, or reports that the result would not fit.
bool roundUp(std::size_t value, std::size_t granule, std::size_t* result)
{
    if (value > SIZE_MAX - (granule - 1))
        return false;
    *result = (value + granule - 1) / granule * granule;
    return true;
}

void* newBlock(j_common_ptr cinfo, int poolId, std::size_t bytes)
{
    PoolMemoryManager& pool = managerOf(cinfo);
    const std::size_t overhead = sizeof(PoolBlock) + kAlignment;
    if (bytes > pool.byteBudget || overhead + bytes > pool.byteBudget - pool.bytesInUse)
        outOfMemory(cinfo, 1);
    const std::size_t total = overhead + bytes;
    auto* block = static_cast<PoolBlock*>(k_malloc(total));
    if (block == nullptr)
        outOfMemory(cinfo, 2);
    block->next = pool.blocks[poolId];
    pool.blocks[poolId] = block;
    pool.bytesInUse += total;
    const auto start = reinterpret_cast<std::uintptr_t>(block + 1);
    return reinterpret_cast<void*>((start + kAlignment - 1) / kAlignment * kAlignment);
}

void* allocSmall(j_common_ptr cinfo, int poolId, std::size_t bytes)
{
    checkPool(cinfo, poolId);
    PoolMemoryManager& pool = managerOf(cinfo);
    std::size_t rounded = 0;
    if (!roundUp(bytes == 0 ? 1 : bytes, kAlignment, &rounded))
        outOfMemory(cinfo, 3);
    if (rounded > kLargestArenaObject)
        return newBlock(cinfo, poolId, rounded);
    if (pool.arenaLeft[poolId] < rounded) {
        pool.arenaNext[poolId] = static_cast<unsigned char*>(newBlock(cinfo, poolId, kArenaBytes));
        pool.arenaLeft[poolId] = kArenaBytes;
    }
    void* object = pool.arenaNext[poolId];
    pool.arenaNext[poolId] += rounded;
    pool.arenaLeft[poolId] -= rounded;
    return object;
}

void* allocLarge(j_common_ptr cinfo, int poolId, std::size_t bytes)
{
    checkPool(cinfo, poolId);
    std::size_t rounded = 0;
    if (!roundUp(bytes == 0 ? 1 : bytes, kAlignment, &rounded))
        outOfMemory(cinfo, 4);
    return newBlock(cinfo, poolId, rounded);
}

// Row pointers and one block holding all rows of `rowBytes` each.
template <typename Row>
Row* allocRows(j_common_ptr cinfo, int poolId, std::size_t rowBytes, JDIMENSION rowCount)
{
    if (rowCount != 0 && rowBytes > SIZE_MAX / rowCount)
        outOfMemory(cinfo, 5);
    auto** rows = static_cast<Row**>(allocSmall(cinfo, poolId, std::size_t(rowCount) * sizeof(Row*)));
    auto* workspace = static_cast<unsigned char*>(allocLarge(cinfo, poolId, rowBytes * rowCount));
    for (JDIMENSION r = 0; r < rowCount; ++r)
        rows[r] = reinterpret_cast<Row*>(workspace + std::size_t(r) * rowBytes);
    return reinterpret_cast<Row*>(rows);
}

JSAMPARRAY allocSarray(j_common_ptr cinfo, int poolId, JDIMENSION samplesPerRow, JDIMENSION rowCount)
{
    std::size_t rowBytes = 0;
    if (!roundUp(std::size_t(samplesPerRow) * sizeof(JSAMPLE), kRowGranule, &rowBytes))
        outOfMemory(cinfo, 6);
    return reinterpret_cast<JSAMPARRAY>(allocRows<JSAMPROW>(cinfo, poolId, rowBytes, rowCount));
}

JBLOCKARRAY allocBarray(j_common_ptr cinfo, int poolId, JDIMENSION blocksPerRow, JDIMENSION rowCount)
{
    const std::size_t rowBytes = std::size_t(blocksPerRow) * sizeof(JBLOCK);
    return reinterpret_cast<JBLOCKARRAY>(allocRows<JBLOCKROW>(cinfo, poolId, rowBytes, rowCount));
}

jvirt_sarray_ptr requestVirtSarray(j_common_ptr cinfo, int poolId, boolean, JDIMENSION samplesPerRow,
                                   JDIMENSION rowCount, JDIMENSION maxAccess)
{
    if (poolId != JPOOL_IMAGE)
        ERREXIT1(cinfo, JERR_BAD_POOL_ID, poolId);
    auto* array = static_cast<jvirt_sarray_control*>(allocSmall(cinfo, poolId, sizeof(jvirt_sarray_control)));
    *array = {nullptr, rowCount, samplesPerRow, maxAccess, managerOf(cinfo).sampleArrays};
    managerOf(cinfo).sampleArrays = array;
    return array;
}

jvirt_barray_ptr requestVirtBarray(j_common_ptr cinfo, int poolId, boolean, JDIMENSION blocksPerRow,
                                   JDIMENSION rowCount, JDIMENSION maxAccess)
{
    if (poolId != JPOOL_IMAGE)
        ERREXIT1(cinfo, JERR_BAD_POOL_ID, poolId);
    auto* array = static_cast<jvirt_barray_control*>(allocSmall(cinfo, poolId, sizeof(jvirt_barray_control)));
    *array = {nullptr, rowCount, blocksPerRow, maxAccess, managerOf(cinfo).blockArrays};
    managerOf(cinfo).blockArrays = array;
    return array;
}

// Every array starts zeroed, whatever the request said, so a stream that
// never fills part of it cannot show stale memory.
void realizeVirtArrays(j_common_ptr cinfo)
{
    for (auto* array = managerOf(cinfo).sampleArrays; array != nullptr; array = array->next) {
        if (array->rows != nullptr)
            continue;
        array->rows = allocSarray(cinfo, JPOOL_IMAGE, array->samplesPerRow, array->rowCount);
        for (JDIMENSION r = 0; r < array->rowCount; ++r)
            std::memset(array->rows[r], 0, std::size_t(array->samplesPerRow) * sizeof(JSAMPLE));
    }
    for (auto* array = managerOf(cinfo).blockArrays; array != nullptr; array = array->next) {
        if (array->rows != nullptr)
            continue;
        array->rows = allocBarray(cinfo, JPOOL_IMAGE, array->blocksPerRow, array->rowCount);
        for (JDIMENSION r = 0; r < array->rowCount; ++r)
            std::memset(array->rows[r], 0, std::size_t(array->blocksPerRow) * sizeof(JBLOCK));
    }
}

template <typename Array>
void checkAccess(j_common_ptr cinfo, const Array* array, JDIMENSION startRow, JDIMENSION rowCount)
{
    if (array == nullptr || array->rows == nullptr || rowCount > array->maxAccess ||
        std::uint64_t(startRow) + rowCount > array->rowCount)
        ERREXIT(cinfo, JERR_BAD_VIRTUAL_ACCESS);
}

JSAMPARRAY accessVirtSarray(j_common_ptr cinfo, jvirt_sarray_ptr array, JDIMENSION startRow, JDIMENSION rowCount,
                            boolean)
{
    checkAccess(cinfo, array, startRow, rowCount);
    return array->rows + startRow;
}

JBLOCKARRAY accessVirtBarray(j_common_ptr cinfo, jvirt_barray_ptr array, JDIMENSION startRow, JDIMENSION rowCount,
                             boolean)
{
    checkAccess(cinfo, array, startRow, rowCount);
    return array->rows + startRow;
}

void releasePool(PoolMemoryManager& pool, int poolId)
{
    if (poolId == JPOOL_IMAGE) {
        // The arrays and their records live in the image pool.
        pool.sampleArrays = nullptr;
        pool.blockArrays = nullptr;
    }
    for (PoolBlock* block = pool.blocks[poolId]; block != nullptr;) {
        PoolBlock* next = block->next;
        k_free(block);
        block = next;
    }
    pool.blocks[poolId] = nullptr;
    pool.arenaNext[poolId] = nullptr;
    pool.arenaLeft[poolId] = 0;
}

// Calls the library's own manager with the decoder pointing at it, as its
// routines expect.
template <typename Call>
void withLibraryManager(j_common_ptr cinfo, Call call)
{
    jpeg_memory_mgr* ours = cinfo->mem;
    cinfo->mem = managerOf(cinfo).library;
    call();
    cinfo->mem = ours;
}

void freePool(j_common_ptr cinfo, int poolId)
{
    checkPool(cinfo, poolId);
    releasePool(managerOf(cinfo), poolId);
    withLibraryManager(cinfo, [&] { cinfo->mem->free_pool(cinfo, poolId); });
}

void selfDestruct(j_common_ptr cinfo)
{
    PoolMemoryManager* pool = &managerOf(cinfo);
    for (int poolId = JPOOL_NUMPOOLS - 1; poolId >= JPOOL_PERMANENT; --poolId)
        releasePool(*pool, poolId);
    jpeg_memory_mgr* library = pool->library;
    k_free(pool);
    cinfo->mem = library;
    library->self_destruct(cinfo);
}

}  // namespace

void usePoolMemory(j_common_ptr cinfo, std::size_t byteBudget)
{
    auto* pool = static_cast<PoolMemoryManager*>(k_malloc(sizeof(PoolMemoryManager)));
    if (pool == nullptr)
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    std::memset(pool, 0, sizeof *pool);
    jpeg_memory_mgr& manager = pool->manager;
    manager.alloc_small = allocSmall;
    manager.alloc_large = allocLarge;
    manager.alloc_sarray = allocSarray;
    manager.alloc_barray = allocBarray;
    manager.request_virt_sarray = requestVirtSarray;
    manager.request_virt_barray = requestVirtBarray;
    manager.realize_virt_arrays = realizeVirtArrays;
    manager.access_virt_sarray = accessVirtSarray;
    manager.access_virt_barray = accessVirtBarray;
    manager.free_pool = freePool;
    manager.self_destruct = selfDestruct;
    manager.max_memory_to_use = long(byteBudget);
    manager.max_alloc_chunk = cinfo->mem->max_alloc_chunk;
    pool->library = cinfo->mem;
    pool->byteBudget = byteBudget;
    cinfo->mem = &pool->manager;
}

}  // namespace qm::morvax
