#include "videodriver/engine/adapter_dispatch.h"

#include "videodriver/engine/channel.h"
#include "videodriver/engine/channel_control.h"
#include "videodriver/engine/device_start.h"
#include "videodriver/engine/read_path.h"
#include "videodriver/engine/stall_recovery.h"

namespace qm::morvax {

namespace {

DeviceExtension* requestDeviceExtension(PHW_STREAM_REQUEST_BLOCK srb)
{
    if (srb->HwDeviceExtension != nullptr)
        return static_cast<DeviceExtension*>(srb->HwDeviceExtension);
    if (srb->Command == SRB_INITIALIZE_DEVICE && srb->CommandData.ConfigInfo != nullptr)
        return static_cast<DeviceExtension*>(srb->CommandData.ConfigInfo->HwDeviceExtension);
    return nullptr;
}

}  // namespace

NTSTATUS USBCAMD_DriverEntry(PDRIVER_OBJECT driverObject, PUNICODE_STRING registryPath, ULONG contextSize,
                             ULONG frameContextSize, PHW_RECEIVE_DEVICE_SRB receivePacket)
{
    countDriverInstance(+1);
    HW_INITIALIZATION_DATA data{};
    data.HwInitializationDataSize = sizeof(HW_INITIALIZATION_DATA);
    data.HwInterrupt = nullptr;
    data.HwReceivePacket = receivePacket;
    data.HwCancelPacket = AdapterCancelPacket;
    data.HwRequestTimeoutHandler = AdapterTimeoutPacket;
    data.DeviceExtensionSize = ULONG(sizeof(DeviceExtension)) + contextSize;
    setDeviceExtensionSize(data.DeviceExtensionSize);
    // Every request carries a ReadRequest and the camera's frame context.
    data.PerRequestExtensionSize = ULONG(sizeof(ReadRequest)) + frameContextSize;
    data.PerStreamExtensionSize = ULONG(sizeof(Channel));
    data.FilterInstanceExtensionSize = 0;
    data.BusMasterDMA = FALSE;
    data.Dma24BitAddresses = FALSE;
    data.BufferAlignment = 3;
    // The engine does its own locking.
    data.TurnOffSynchronization = TRUE;
    data.DmaBufferSize = 0;
    return StreamClassRegisterAdapter(driverObject, registryPath, &data);
}

BOOLEAN USBCAMD_IsStreamOpen(PVOID context)
{
    return deviceExtensionOf(context)->StreamState != kNoStreamOpen;
}

PVOID USBCAMD_AdapterReceivePacket(PHW_STREAM_REQUEST_BLOCK srb, const CameraCallbacks* callbacks,
                                   PDEVICE_OBJECT* busDevice, BOOLEAN complete)
{
    DeviceExtension* deviceExtension = requestDeviceExtension(srb);
    if (busDevice != nullptr)
        *busDevice = deviceExtension->StackDeviceObject;
    if (!complete)
        return cameraContext(deviceExtension);

    switch (srb->Command) {
    case SRB_OPEN_STREAM:
        AdapterOpenStream(srb);
        break;
    case SRB_CLOSE_STREAM:
        AdapterCloseStream(srb);
        break;
    case SRB_INITIALIZE_DEVICE:
        srb->Status = HwInitialize(srb, callbacks);
        if (busDevice != nullptr)
            *busDevice = deviceExtension->StackDeviceObject;
        break;
    case SRB_CHANGE_POWER_STATE:
        srb->Status = USBCAMD_SetDevicePowerState(deviceExtension, srb);
        break;
    case SRB_UNINITIALIZE_DEVICE:
        srb->Status = HwUnInitialize(srb);
        break;
    case SRB_PAGING_OUT_DRIVER:
        srb->Status = STATUS_SUCCESS;
        break;
    default:
        srb->Status = STATUS_NOT_IMPLEMENTED;
        break;
    }
    StreamClassDeviceNotification(DeviceRequestComplete, deviceExtension, srb);
    return cameraContext(deviceExtension);
}

}  // namespace qm::morvax
