// The panel's calls back into the source (AcquireEntry).
#pragma once

#include <cstdint>

#include "datasource/session/source_record.h"

namespace qm::ds {

// ACQUIRE_XFERREADY: state 600 and MSG_XFERREADY to the application.
// ACQUIRE_CLOSEDSREQ: MSG_CLOSEDSREQ, the state unchanged.
// 1 when the notification reached the source manager, else 0 (also for any
// other code, which does nothing).
std::uint32_t acquireEntry(SourceRecord& record, std::uint32_t code);

}  // namespace qm::ds
