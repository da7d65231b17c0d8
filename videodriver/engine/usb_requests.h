// Requests the engine sends down to the USB bus device. All of them wait
// for the answer, so they are for passive level only.
#pragma once

#include "videodriver/engine/device_extension.h"

namespace qm::morvax {

// Submits a URB and waits for it; STATUS_DEVICE_DATA_ERROR once the device
// is gone (device-present state 0).
NTSTATUS USBCAMD_CallUSBD(DeviceExtension* deviceExtension, PURB urb);

// The bus's current frame number; 0 on any failure.
ULONG USBCAMD_GetCurrentFrame(DeviceExtension* deviceExtension);

NTSTATUS USBCAMD_GetPortStatus(DeviceExtension* deviceExtension, PULONG portStatus);
NTSTATUS USBCAMD_EnablePort(DeviceExtension* deviceExtension);

// Pipe requests by index into the selected interface's pipes; an index
// that is not a pipe of the interface (the -1 of "no sync pipe") is
// skipped with success.
NTSTATUS USBCAMD_ResetPipe(DeviceExtension* deviceExtension, LONG pipeIndex);
NTSTATUS USBCAMD_AbortPipe(DeviceExtension* deviceExtension, LONG pipeIndex);

// The selected interface's pipe record, or null for an index outside it.
PUSBD_PIPE_INFORMATION pipeInformation(DeviceExtension* deviceExtension, LONG pipeIndex);

}  // namespace qm::morvax
