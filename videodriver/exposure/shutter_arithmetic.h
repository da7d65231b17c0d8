// How each front end's loop moves the shutter by a percentage of the
// exposure (percent > 0 shortens it, < 0 lengthens it). The shutter counts
// lines off the frame: 0 is the longest exposure. These only compute the
// new value from the context; nothing is written.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

// The generic arithmetic, with constants by CCD type.
LONG CalcShutterSpeed(const MorvaxContext* context, LONG percent);
LONG CalcShutterSpeed_Tasc(const MorvaxContext* context, LONG percent);
LONG CalcShutterSpeed_Toshiba(const MorvaxContext* context, LONG percent);
// Stepped by the size of the error; outdoors in fine steps near the end.
LONG CalcShutterSpeed_Elecvision(const MorvaxContext* context, LONG percent);

// The arithmetic of the strategy the context's sensor and front end use.
LONG calcShutterForStrategy(const MorvaxContext* context, LONG percent);

}  // namespace qm::morvax
