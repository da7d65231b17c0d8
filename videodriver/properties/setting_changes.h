// Changing one setting from a property request: the value is checked
// against its range (STATUS_INVALID_PARAMETER outside it), stored and
// applied to the camera at once. VideoProcAmp and CameraControl reach the
// same settings through these.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

// The AE loop runs on every frame for this many frames after the
// brightness or the light source changed.
inline constexpr ULONG kSettleFramesAfterChange = 30;

NTSTATUS changeBrightness(MorvaxContext* context, LONG value);
NTSTATUS changeContrast(MorvaxContext* context, LONG value);
NTSTATUS changeSaturation(MorvaxContext* context, LONG value);
NTSTATUS changeSharpness(MorvaxContext* context, LONG value);
NTSTATUS changeHue(MorvaxContext* context, LONG value);
NTSTATUS changeGamma(MorvaxContext* context, LONG value);
// `adjustNow`: a white balance at once when AWB is switched on.
NTSTATUS changeAWBEnable(MorvaxContext* context, LONG value, bool adjustNow);
NTSTATUS changeRedGain(MorvaxContext* context, LONG value);
NTSTATUS changeGreenGain(MorvaxContext* context, LONG value);
NTSTATUS changeBlueGain(MorvaxContext* context, LONG value);
NTSTATUS changeAEEnable(MorvaxContext* context, LONG value);
NTSTATUS changeLightSource(MorvaxContext* context, LONG value);
NTSTATUS changeFlickerless(MorvaxContext* context, LONG value);
NTSTATUS changeAGCEnable(MorvaxContext* context, LONG value);

}  // namespace qm::morvax
