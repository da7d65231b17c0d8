#include "datasource/transfer/acquire.h"

#include "datasource/acquire_entry.h"
#include "datasource/session/notification.h"

namespace qm::ds {

std::uint32_t acquireEntry(SourceRecord& record, std::uint32_t code)
{
    switch (code) {
    case ACQUIRE_CLOSEDSREQ:
        return std::uint32_t(notifySourceManager(record, MSG_CLOSEDSREQ));
    case ACQUIRE_XFERREADY:
        // Whatever the state: the panel only offers its transfer command
        // while it is shown.
        return std::uint32_t(notifySourceManager(record, MSG_XFERREADY));
    default:
        return 0;
    }
}

}  // namespace qm::ds
