// Stream control requests (state changes, properties, the master clock,
// formats), processed one at a time device-wide.
#pragma once

#include "videodriver/engine/channel.h"

namespace qm::morvax {

// The stream object's control handler.
VOID USBCAMD_ReceiveCtrlPacket(PHW_STREAM_REQUEST_BLOCK srb);

// TRUE when another control request is being processed; the request then
// waits in the device's list and the active caller processes it.
BOOLEAN AddToListIfBusy(PHW_STREAM_REQUEST_BLOCK srb, DeviceExtension* deviceExtension);
// The next waiting request, or null (and the device is no longer busy).
PHW_STREAM_REQUEST_BLOCK RemoveFromListIfAvailable(DeviceExtension* deviceExtension);

NTSTATUS USBCAMD_SetStreamState(DeviceExtension* deviceExtension, Channel* channel, KSSTATE newState);
NTSTATUS VideoGetProperty(PHW_STREAM_REQUEST_BLOCK srb);
NTSTATUS VideoSetFormat(PHW_STREAM_REQUEST_BLOCK srb);

}  // namespace qm::morvax
