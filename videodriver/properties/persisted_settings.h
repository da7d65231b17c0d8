// The settings the driver keeps in the camera's settings key across power
// cycles: read at every power-up, written at power-down. Passive level only.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

// Reads every stored setting (absent values leave the setting alone) and
// applies their limits; AWB bounds follow the light source; SnapShot is
// reset to 0.
VOID restorePersistedSettings(MorvaxContext* context);

// Writes the sixteen saved settings in order, stopping at the first
// failure; the status of the last write.
NTSTATUS savePersistedSettings(MorvaxContext* context);

// TRUE when the settings key already holds saved settings.
BOOLEAN settingsSaved(const MorvaxContext* context);

// The property pages: while the camera is powered the capture category
// offers the driver's own page instead of the platform's VideoProcAmp and
// CameraControl pages; at power-down the platform's pages come back.
VOID offerDriverPropertyPage();
VOID offerPlatformPropertyPages();

}  // namespace qm::morvax
