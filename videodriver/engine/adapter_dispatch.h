// The engine's entry points for the camera layer: registration with the
// stream class and the engine's share of every adapter request.
#pragma once

#include "videodriver/engine/camera_callbacks.h"

namespace qm::morvax {

// Registers the adapter. `contextSize` is the camera layer's context behind
// the engine's device extension, `frameContextSize` its per-read frame
// context.
NTSTATUS USBCAMD_DriverEntry(PDRIVER_OBJECT driverObject, PUNICODE_STRING registryPath, ULONG contextSize,
                             ULONG frameContextSize, PHW_RECEIVE_DEVICE_SRB receivePacket);

// Returns the camera's context (and, when asked, the USB bus device). With
// `complete` TRUE it also performs the engine's part of the request and
// completes it.
PVOID USBCAMD_AdapterReceivePacket(PHW_STREAM_REQUEST_BLOCK srb, const CameraCallbacks* callbacks,
                                   PDEVICE_OBJECT* busDevice, BOOLEAN complete);

// TRUE while a stream is open in the driver (a second open is refused).
BOOLEAN USBCAMD_IsStreamOpen(PVOID context);

}  // namespace qm::morvax
