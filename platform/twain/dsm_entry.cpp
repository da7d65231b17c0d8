// The source manager's one export.
#include "platform/system/threads.h"
#include "platform/twain/source_manager.h"

using namespace qm::twain;

extern "C" TW_UINT16 DSM_Entry(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group,
                               TW_UINT16 dataType, TW_UINT16 message, TW_MEMREF data)
{
    qm::sys::ModuleEntryGuard guard;
    return sourceManager().entry(origin, destination, group, dataType, message, data);
}
