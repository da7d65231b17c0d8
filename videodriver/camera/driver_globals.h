// Driver-wide state of the camera layer that is not per device.
#pragma once

#include "platform/kernel/nt_types.h"

namespace qm::morvax {

struct DriverGlobals {
    qm::kernel::ULONG PnPLogStep;   // progress-log entries written since load
    qm::kernel::BOOLEAN DecodeError;  // the decoder reported an error for this frame
    qm::kernel::BOOLEAN MmxChecked;   // the processor's features were tested
};

extern DriverGlobals g_driverGlobals;

// At driver load.
void resetDriverGlobals();

}  // namespace qm::morvax
