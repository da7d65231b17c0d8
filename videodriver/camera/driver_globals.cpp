#include "videodriver/camera/driver_globals.h"

namespace qm::morvax {

DriverGlobals g_driverGlobals{};

void resetDriverGlobals()
{
    g_driverGlobals.PnPLogStep = 0;
    g_driverGlobals.DecodeError = 0;
    g_driverGlobals.MmxChecked = 0;
}

}  // namespace qm::morvax
