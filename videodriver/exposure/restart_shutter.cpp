#include "videodriver/exposure/auto_exposure.h"
#include "videodriver/exposure/exposure_registers.h"
#include "videodriver/exposure/shutter_arithmetic.h"

namespace qm::morvax {

namespace {

constexpr LONG kRestartStep = 4;  // percent

}  // namespace

VOID restartShutter(MorvaxContext* context)
{
    // One line beyond the longest exposure, then a small step back from it.
    context->Shutter = -1;
    context->Shutter = calcShutterForStrategy(context, kRestartStep);
    SetShutter(context);
}

}  // namespace qm::morvax
