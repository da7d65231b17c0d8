// The panel module's process-wide objects: the shared state, the bindings to
// the device module and the data source, the transfer cursor and the two busy
// cursors. They live in one record so they are made and unmade in a known
// order (the busy cursors end before the state they reach goes).
#pragma once

#include "panel/entry/acquire_link.h"
#include "panel/entry/busy_cursor.h"
#include "panel/entry/driver_link.h"
#include "panel/entry/transfer_cursor.h"
#include "panel/model/panel_state.h"

namespace qm::panel {

DriverLink& driverLink();
AcquireLink& acquireLink();
TransferCursor& transferCursor();
// The picture number the transfer delivers next (module-wide).
int& deliveryNumber();

}  // namespace qm::panel
