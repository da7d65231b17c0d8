// DeviceExtension: the engine's part of the device extension. The stream
// class allocates one per camera, sized for this part followed directly by
// the camera layer's context; the engine hands the camera a pointer to its
// part and recovers its own by stepping back over this one.
#pragma once

#include "videodriver/engine/camera_callbacks.h"

namespace qm::morvax {

struct Channel;

// "DEVE" in memory order.
inline constexpr ULONG kDeviceExtensionSignature = 0x45564544;

// Stream state value while no stream is open (the number of streams).
inline constexpr ULONG kNoStreamOpen = 2;

enum DevicePresentState : ULONG { kDeviceRemoved = 0, kDeviceStarting = 1, kDeviceStarted = 2 };

struct DeviceExtension {
    ULONG Signature;

    // Control requests are processed one at a time device-wide; those that
    // arrive meanwhile wait in this list.
    LIST_ENTRY PendingRequestList;
    KSPIN_LOCK PendingRequestLock;
    BOOLEAN ProcessingControlRequest;

    PDEVICE_OBJECT StackDeviceObject;  // the USB bus device: receives all URBs
    USBD_CONFIGURATION_HANDLE ConfigurationHandle;
    PUSB_DEVICE_DESCRIPTOR DeviceDescriptor;  // pool
    PUSBD_INTERFACE_INFORMATION Interface;    // pool copy of the selected interface
    LONG volatile ResetCount;                 // -1 while no pipe reset is pending
    KSEMAPHORE CallSemaphore;                 // serialises channel operations
    LONG SyncPipe;                            // -1: no sync pipe
    LONG DataPipe;
    DEVICE_POWER_STATE CurrentPowerState;
    Channel* ChannelExtension;                // the open stream's channel
    ULONG StreamState;                        // kNoStreamOpen or the open stream's number
    ULONG OpenChannelCount;                   // 0 or 1
    CameraCallbacks Callbacks;
    ULONG DevicePresent;                      // DevicePresentState

    // Signalled while no pipe reset is pending: closing a stream waits on it
    // so the reset work item is done with the channel before it goes away.
    KEVENT ResetIdleEvent;
    WORK_QUEUE_ITEM ResetWorkItem;
    PDEVICE_OBJECT ClassDeviceObject;
};

// The camera's context lies directly behind the engine's part.
inline PVOID cameraContext(DeviceExtension* deviceExtension) { return deviceExtension + 1; }
inline DeviceExtension* deviceExtensionOf(PVOID context)
{
    return static_cast<DeviceExtension*>(context) - 1;
}

}  // namespace qm::morvax
