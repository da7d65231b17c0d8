// The device property sets (VideoProcAmp, CameraControl with its private
// ids, VideoControl and the private set) and their handlers.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

ULONG AdapterGetNumberOfPropertySet();
const KSPROPERTY_SET* AdapterGetPropertyTable();

// SRB_GET_DEVICE_PROPERTY and SRB_SET_DEVICE_PROPERTY; both set the
// request's status.
void AdapterGetProperty(PHW_STREAM_REQUEST_BLOCK srb, MorvaxContext* context);
void AdapterSetProperty(PHW_STREAM_REQUEST_BLOCK srb, MorvaxContext* context);

}  // namespace qm::morvax
