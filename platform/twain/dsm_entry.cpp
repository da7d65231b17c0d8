// The source manager's one export. It shares the module lock, so that the
// sources it calls and the notifications they send back stay on one thread
// at a time; it is platform code, not a module entry of its own.
#include <mutex>

#include "platform/system/threads.h"
#include "platform/twain/source_manager.h"

using namespace qm::twain;

extern "C" TW_UINT16 DSM_Entry(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group,
                               TW_UINT16 dataType, TW_UINT16 message, TW_MEMREF data)
{
    std::lock_guard lock(qm::sys::moduleLock());
    return sourceManager().entry(origin, destination, group, dataType, message, data);
}
