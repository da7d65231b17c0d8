// The exposure routines the frame path and the capture sequence call. They
// belong to the exposure folder (videodriver/exposure, auto_exposure.h).
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

// One AE step per frame: 1 when the exposure is settled, 0 otherwise.
ULONG doAE(MorvaxContext* context);
// At every capture start in video mode.
VOID ResetAE(MorvaxContext* context);
// Every video frame unless the front end is CDS type 8.
VOID AdjustOBOffset(MorvaxContext* context);

}  // namespace qm::morvax
