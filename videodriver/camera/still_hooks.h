// What the capture sequence needs of the still-camera functions
// (videodriver/camera/stills): the picture request that starts a still
// download.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

// At capture start in still mode: clears the failed-download flag, asks the
// camera for the next picture (by number or in sequence) and strobes the
// still download. 1 on success, 0 on failure.
ULONG DF_SendPictureRequest(MorvaxContext* context);

}  // namespace qm::morvax
