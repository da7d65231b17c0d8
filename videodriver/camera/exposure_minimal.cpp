// Stand-ins for the exposure routines while videodriver/exposure is not part
// of the build: exposure stays where the default image put it and reports
// itself settled, so the white-balance schedule runs. The exposure folder
// replaces this file (CMakeLists.txt leaves it out once that folder exists).
#include "videodriver/camera/exposure_hooks.h"

namespace qm::morvax {

ULONG doAE(MorvaxContext* context) { return context->AEActive ? 1 : 0; }

VOID ResetAE(MorvaxContext* context)
{
    context->AEFrameCounter = 0;
    context->AEActive = 1;
    context->LuminanceAverage = 100;
}

VOID AdjustOBOffset(MorvaxContext*) {}

}  // namespace qm::morvax
