// The data source entry on a given record: trace, origin check, event
// processing, the two dispatch tables and the handlers' exception path.
#pragma once

#include "datasource/entry/triplet.h"

namespace qm::ds {

TW_UINT16 dsEntry(SourceRecord& record, TW_IDENTITY* origin, TW_UINT32 group, TW_UINT16 dataType,
                  TW_UINT16 message, TW_MEMREF data);

// The handler a group's table holds for a data argument type, or null.
Handler findHandler(TW_UINT32 group, TW_UINT16 dataType);

}  // namespace qm::ds
