#include "datasource/entry/dispatch.h"

#include <new>

#include "datasource/capabilities/capabilities.h"
#include "datasource/entry/trace_line.h"
#include "datasource/session/event_processing.h"
#include "datasource/session/session_handlers.h"
#include "datasource/transfer/transfer_handlers.h"
#include "platform/system/trace.h"

namespace qm::ds {
namespace {

struct TableEntry {
    TW_UINT16 dataType;
    Handler handler;
};

// Searched in order; each table ends with a zero entry.
constexpr TableEntry kControlTable[] = {
    {DAT_IDENTITY, handleIdentity},
    {DAT_USERINTERFACE, handleUserInterface},
    {DAT_CAPABILITY, handleCapability},
    {DAT_STATUS, handleStatus},
    {DAT_PENDINGXFERS, handlePendingTransfers},
    {DAT_SETUPMEMXFER, handleSetupMemoryTransfer},
    {DAT_SETUPFILEXFER, handleSetupFileTransfer},
    {DAT_XFERGROUP, handleTransferGroup},
    {0, nullptr},
};

constexpr TableEntry kImageTable[] = {
    {DAT_IMAGEINFO, handleImageInfo},
    {DAT_IMAGELAYOUT, handleImageLayout},
    {DAT_IMAGEMEMXFER, handleMemoryTransfer},
    {DAT_IMAGENATIVEXFER, handleNativeTransfer},
    {DAT_IMAGEFILEXFER, handleFileTransfer},
    {DAT_JPEGCOMPRESSION, handleJpegCompression},
    {0, nullptr},
};

Handler search(const TableEntry* table, TW_UINT16 dataType)
{
    for (; table->handler != nullptr; ++table) {
        if (table->dataType == dataType)
            return table->handler;
    }
    return nullptr;
}

}  // namespace

Handler findHandler(TW_UINT32 group, TW_UINT16 dataType)
{
    if (group == DG_CONTROL)
        return search(kControlTable, dataType);
    if (group == DG_IMAGE)
        return search(kImageTable, dataType);
    return nullptr;
}

TW_UINT16 dsEntry(SourceRecord& record, TW_IDENTITY* origin, TW_UINT32 group, TW_UINT16 dataType,
                  TW_UINT16 message, TW_MEMREF data)
{
    sys::trace(composeTraceLine(group, dataType, message, record.state));

    // One application at a time: another one's triplets are answered with
    // success and have no effect.
    if (record.application.Id != 0 && (origin == nullptr || origin->Id != record.application.Id))
        return TWRC_SUCCESS;

    if (message == MSG_PROCESSEVENT)
        return processEvent(record, static_cast<TW_EVENT*>(data));

    if (!(group == DG_CONTROL && dataType == DAT_STATUS))
        record.condition = TWCC_SUCCESS;

    const Handler handler = findHandler(group, dataType);
    if (handler == nullptr)
        return fail(record, TWCC_BADPROTOCOL);

    try {
        return handler(record, Triplet{origin, group, dataType, message, data});
    } catch (const FileAccessError& error) {
        return fail(record, error.condition());
    } catch (const std::bad_alloc&) {
        return fail(record, TWCC_LOWMEMORY);
    } catch (...) {
        return fail(record, TWCC_BUMMER);
    }
}

}  // namespace qm::ds
