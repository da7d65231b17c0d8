// What each front end changes in the default image: its serial-bus mode,
// the sensor timing it needs and, for some, the compressor and colour
// registers.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

// Applies the patches of `cdsType` to a 469-byte image in shadow order.
void applyCdsPatches(PUCHAR image, ULONG cdsType);

}  // namespace qm::morvax
