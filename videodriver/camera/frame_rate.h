// The frame rate a stream is opened with, as the camera's frame-rate index.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

// Frames per second in tenths for an average time per frame in 100-ns
// units: whole frames per second, times ten. Zero or negative times give 0.
ULONG frameRateTenths(LONGLONG avgTimePerFrame);

// The camera's frame-rate index 0..7 for a rate in tenths of frames per
// second; 640 x 480 never runs faster than 15 frames per second.
void AdapterSetFrameRate(MorvaxContext* context, ULONG rateTenths);

}  // namespace qm::morvax
