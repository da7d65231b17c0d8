#include "platform/system/global_memory.h"

#include <malloc.h>

#include <cstdlib>
#include <mutex>
#include <unordered_map>

#include "platform/system/last_error.h"

namespace qm::sys {
namespace {

struct BlockRecord {
    std::size_t size = 0;
    unsigned locks = 0;
};

std::mutex& tableMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::unordered_map<void*, BlockRecord>& table()
{
    static auto* blocks = new std::unordered_map<void*, BlockRecord>;
    return *blocks;
}

// Blocks handed to an application leave the table (GlobalHandOver), so a
// record describes a block the platform's caller still owns. Should one go
// stale all the same, a record claiming more than the block's usable size is
// dropped, so no size lookup ever runs past a block.
BlockRecord* findLive(void* handle)
{
    auto it = table().find(handle);
    if (it == table().end())
        return nullptr;
    if (it->second.size > malloc_usable_size(handle)) {
        table().erase(it);
        return nullptr;
    }
    return &it->second;
}

}  // namespace

HGLOBAL GlobalAlloc(unsigned /*flags*/, std::size_t bytes)
{
    void* block = std::calloc(bytes == 0 ? 1 : bytes, 1);
    if (block == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::lock_guard lock(tableMutex());
    table()[block] = BlockRecord{bytes, 0};
    return block;
}

void* GlobalLock(HGLOBAL handle)
{
    if (handle == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    std::lock_guard lock(tableMutex());
    if (BlockRecord* record = findLive(handle))
        ++record->locks;
    return handle;
}

bool GlobalUnlock(HGLOBAL handle)
{
    if (handle == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    std::lock_guard lock(tableMutex());
    BlockRecord* record = findLive(handle);
    if (record == nullptr || record->locks == 0) {
        SetLastError(ERROR_NOT_LOCKED);
        return false;
    }
    if (--record->locks > 0)
        return true;
    SetLastError(NO_ERROR);
    return false;
}

std::size_t GlobalSize(HGLOBAL handle)
{
    if (handle == nullptr)
        return 0;
    std::lock_guard lock(tableMutex());
    if (BlockRecord* record = findLive(handle))
        return record->size;
    return malloc_usable_size(handle);
}

unsigned GlobalFlags(HGLOBAL handle)
{
    if (handle == nullptr)
        return 0;
    std::lock_guard lock(tableMutex());
    BlockRecord* record = findLive(handle);
    return record != nullptr ? record->locks : 0;
}

HGLOBAL GlobalFree(HGLOBAL handle)
{
    if (handle == nullptr)
        return nullptr;
    {
        std::lock_guard lock(tableMutex());
        table().erase(handle);
    }
    std::free(handle);
    return nullptr;
}

void GlobalHandOver(HGLOBAL handle)
{
    if (handle == nullptr)
        return;
    std::lock_guard lock(tableMutex());
    table().erase(handle);
}

std::size_t globalBlocksOutstanding()
{
    std::lock_guard lock(tableMutex());
    return table().size();
}

}  // namespace qm::sys
