// Exposure state that is kept for the driver rather than per camera (one
// camera streams at a time).
#pragma once

#include "platform/kernel/nt_types.h"

namespace qm::morvax {

struct ExposureGlobals {
    qm::kernel::LONG RunningLuminance;   // filtered over frames, a quarter of each new one
    qm::kernel::LONG LastLuminance;      // the latest frame's own measurement
    qm::kernel::ULONG NscHoldCounter;    // CMOS sensor: small-band steps left before settling
    qm::kernel::ULONG ElecvisionTiming;  // Elecvision frame-timing index 0..3
};

extern ExposureGlobals g_exposure;

}  // namespace qm::morvax
