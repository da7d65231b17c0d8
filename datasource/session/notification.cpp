#include "datasource/session/notification.h"

namespace qm::ds {

int notifySourceManager(SourceRecord& record, TW_UINT16 message)
{
    if (message != MSG_XFERREADY && message != MSG_CLOSEDSREQ)
        return 0;
    if (message == MSG_XFERREADY)
        record.state = STATE_XFERREADY;

    if (record.sourceManagerOverride != nullptr) {
        record.sourceManagerOverride(&record.source, &record.application, DG_CONTROL, DAT_NULL, message, nullptr);
        return 1;
    }

    // The name resolves to the source manager this process already uses.
    sys::HMODULE manager = sys::LoadLibrary(sys::kSourceManagerName);
    if (!sys::isValidModuleHandle(manager))
        return 0;
    auto dsmEntry = sys::getProc<DSMENTRYPROC>(manager, kDsmEntryName);
    if (dsmEntry == nullptr) {
        sys::FreeLibrary(manager);
        return 0;
    }
    // The manager's own answer is not examined.
    dsmEntry(&record.source, &record.application, DG_CONTROL, DAT_NULL, message, nullptr);
    sys::FreeLibrary(manager);
    return 1;
}

}  // namespace qm::ds
