// Notifications the source sends to the application through the source
// manager: transfer ready and close request.
#pragma once

#include "datasource/session/source_record.h"

namespace qm::ds {

// MSG_XFERREADY (entering state 600 first) or MSG_CLOSEDSREQ, sent with
// DG_CONTROL / DAT_NULL from the source identity to the application identity.
// 1 when the source manager's entry was reached, 0 when it could not be (or
// for any other message, which sends nothing).
int notifySourceManager(SourceRecord& record, TW_UINT16 message);

}  // namespace qm::ds
