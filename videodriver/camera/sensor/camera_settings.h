// What the camera layer reads from the settings key about the camera at
// configure (and again at power-up when the key was missing then): sensor
// and front end, the default register image, the tone-curve ceiling and the
// default format; the snapshot button's value starts at 0.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

VOID loadCameraSettings(MorvaxContext* context);

}  // namespace qm::morvax
