// Bringing the camera up and down: device start with configuration and
// interface selection, alternate settings, removal and power states.
#pragma once

#include "videodriver/engine/device_extension.h"

namespace qm::morvax {

// SRB_INITIALIZE_DEVICE.
NTSTATUS HwInitialize(PHW_STREAM_REQUEST_BLOCK srb, const CameraCallbacks* callbacks);
// SRB_UNINITIALIZE_DEVICE.
NTSTATUS HwUnInitialize(PHW_STREAM_REQUEST_BLOCK srb);

NTSTATUS USBCAMD_StartDevice(DeviceExtension* deviceExtension);
NTSTATUS USBCAMD_ConfigureDevice(DeviceExtension* deviceExtension);
NTSTATUS USBCAMD_SelectConfiguration(DeviceExtension* deviceExtension,
                                     PUSB_CONFIGURATION_DESCRIPTOR configurationDescriptor);
// Selects the alternate setting named in `interface` (a copy of the
// interface information with the setting changed); on success the device's
// and the camera's copies take the answer.
NTSTATUS USBCAMD_SelectAlternateInterface(PVOID context, PUSBD_INTERFACE_INFORMATION interface);
void USBCAMD_RemoveDevice(DeviceExtension* deviceExtension);

// D0 <-> D3 save and restore the camera's state; D1 and D2 are recorded only.
NTSTATUS USBCAMD_SetDevicePowerState(DeviceExtension* deviceExtension, PHW_STREAM_REQUEST_BLOCK srb);

// How many device instances are started.
LONG driverInstanceCount();
void countDriverInstance(LONG delta);

// The size registered for the device extension (engine part and camera
// context), which HwInitialize clears before anything else.
void setDeviceExtensionSize(ULONG bytes);

}  // namespace qm::morvax
