// MSG_PROCESSEVENT: the application offers each of its window messages so
// that the modeless panel gets its keyboard navigation.
#pragma once

#include "datasource/session/source_record.h"

namespace qm::ds {

// TWRC_DSEVENT (TWMessage set to MSG_NULL) when the shown panel consumed
// the message, else TWRC_NOTDSEVENT with the event untouched.
TW_UINT16 processEvent(SourceRecord& record, TW_EVENT* event);

}  // namespace qm::ds
