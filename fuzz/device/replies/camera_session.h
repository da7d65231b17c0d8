// One camera session as the device module runs it, in a fixed order: every
// command of the protocol, the paged reads of a thumbnail and a picture, an
// upload, and what the module makes of each reply (the values it reports,
// the thumbnail and the picture bitmap). Each step runs whatever the last
// one's result. The fuzz harness feeds it made-up replies; the seed writer
// records a simulated camera's.
#pragma once

#include "device/protocol/camera_link.h"

namespace qm::fuzz {

void runCameraSession(device::CameraLink& link);

}  // namespace qm::fuzz
