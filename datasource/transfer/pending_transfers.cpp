// DG_CONTROL / DAT_PENDINGXFERS: how many pictures remain, and the end of
// each transfer, which either waits for the next picture or ends the batch
// with a close request.
#include "datasource/panel/panel_link.h"
#include "datasource/session/notification.h"
#include "datasource/transfer/transfer_handlers.h"

namespace qm::ds {
namespace {

// The panel's count of pictures still to come; 0 when it cannot say.
std::uint32_t picturesRemaining(SourceRecord& record)
{
    std::uint32_t count = 0;
    if (!callPanel(record.panel, panel::CMUI_XFER_COUNT, reinterpret_cast<std::uintptr_t>(&count)))
        return 0;
    return count;
}

TW_UINT16 endTransfer(SourceRecord& record, TW_PENDINGXFERS& pending)
{
    const std::uint32_t remaining = picturesRemaining(record);
    if (record.capabilities.transferCount == -1 && std::int32_t(remaining) > 0) {
        record.state = STATE_XFERREADY;
        pending.Count = TW_UINT16(remaining);
        return TWRC_SUCCESS;
    }
    // A batch that is over asks the application to close the source; a new
    // batch starts with a new open and enable.
    record.state = STATE_ENABLED;
    pending.Count = 0;
    notifySourceManager(record, MSG_CLOSEDSREQ);
    return TWRC_SUCCESS;
}

}  // namespace

TW_UINT16 handlePendingTransfers(SourceRecord& record, const Triplet& call)
{
    switch (call.message) {
    case MSG_GET:
        if (!isSessionOpen(record.state))
            return fail(record, TWCC_SEQERROR);
        break;
    case MSG_ENDXFER:
    case MSG_RESET:
        if (record.state != STATE_XFERREADY)
            return fail(record, TWCC_SEQERROR);
        break;
    default:
        return fail(record, TWCC_BADPROTOCOL);
    }
    if (call.data == nullptr)
        return fail(record, TWCC_BADVALUE);

    auto* pending = static_cast<TW_PENDINGXFERS*>(call.data);
    switch (call.message) {
    case MSG_GET:
        pending->Count = TW_UINT16(picturesRemaining(record));
        return TWRC_SUCCESS;
    case MSG_ENDXFER:
        return endTransfer(record, *pending);
    default:
        // The panel is not told; its cursor stays where it is.
        record.state = STATE_ENABLED;
        pending->Count = 0;
        return TWRC_SUCCESS;
    }
}

}  // namespace qm::ds
