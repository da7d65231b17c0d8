// The progress log: the first six start-up events after the driver was
// loaded, each a 32-bit status under the settings key's subkey Log, named
// "Enter DriverEntry", "Exit DriverEntry", "Enter Configure", "Exit
// Configure", "Enter Initialize" and "Exit Initialize" by their order.
// Passive level only.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

// `step` picks the value's name (steps past the sixth write nothing);
// callers pass the driver-wide counter and move it on:
//     PnPLog(context, g_driverGlobals.PnPLogStep++, status);
VOID PnPLog(MorvaxContext* context, ULONG step, ULONG status);

}  // namespace qm::morvax
