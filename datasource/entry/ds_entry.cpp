// The module's two exports and the process-wide record behind them. Loading
// the library does no more than set the record up: a source manager may
// load, query and unload it several times before it opens it.
#include "datasource/acquire_entry.h"
#include "datasource/entry/dispatch.h"
#include "datasource/transfer/acquire.h"
#include "platform/system/library.h"
#include "platform/system/threads.h"

namespace {

struct LoadedSource {
    qm::ds::SourceRecord record;
    // The source finds its modules, and its panel binds back to it, through
    // the file it was loaded from.
    LoadedSource() { record.ownPath = qm::sys::loadedFileOf(reinterpret_cast<const void*>(&AcquireEntry)); }
    ~LoadedSource() { qm::ds::releaseSourceRecord(record); }
};

LoadedSource loaded;

}  // namespace

QM_EXPORT qm::twain::TW_UINT16 DS_Entry(qm::twain::TW_IDENTITY* origin, qm::twain::TW_UINT32 group,
                                        qm::twain::TW_UINT16 dataType, qm::twain::TW_UINT16 message,
                                        qm::twain::TW_MEMREF data)
{
    qm::sys::ModuleEntryGuard guard;
    return qm::ds::dsEntry(loaded.record, origin, group, dataType, message, data);
}

QM_EXPORT std::uint32_t AcquireEntry(std::uint32_t code, std::uint32_t, std::uint32_t, std::uint32_t)
{
    qm::sys::ModuleEntryGuard guard;
    return qm::ds::acquireEntry(loaded.record, code);
}
