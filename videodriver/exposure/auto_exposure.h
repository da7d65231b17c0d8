// Automatic exposure: once per finished video frame the camera's 8 x 8
// luminance grid is weighted into one average and compared with the
// brightness target; the strategy of the camera's front end then moves the
// shutter, the front-end gain, the digital Y gain and (some front ends) the
// sensor frame timing. Passive level only: every step reads and writes
// camera registers.
#pragma once

#include "videodriver/camera/exposure_hooks.h"

namespace qm::morvax {

// (exposure_hooks.h: doAE, one frame of the loop, 1 when the exposure is
// inside the narrow band; ResetAE at capture start: bands, gain and shutter
// ranges, the front end's one-time set-up and the first writes;
// AdjustOBOffset, the optical-black correction of every video frame except
// on the Elecvision front end.)

// The weighted luminance of the last frame; FALSE (and *average untouched)
// when the grid could not be read.
BOOLEAN getLumAverage(MorvaxContext* context, PULONG average);

// The luminance the loop aims at for the context's brightness setting.
LONG brightnessTarget(const MorvaxContext* context);

// After a change of light source: the shutter starts again from one step
// (4 %) short of the longest exposure, by the front end's own arithmetic,
// and is written.
VOID restartShutter(MorvaxContext* context);

}  // namespace qm::morvax
