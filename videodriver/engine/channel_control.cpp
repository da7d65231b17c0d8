#include "videodriver/engine/channel_control.h"

#include "videodriver/engine/device_start.h"
#include "videodriver/engine/iso_stream.h"
#include "videodriver/engine/read_path.h"
#include "videodriver/engine/stall_recovery.h"
#include "videodriver/engine/stream_control.h"
#include "videodriver/engine/usb_requests.h"

namespace qm::morvax {

namespace {

PDEVICE_OBJECT busDevice(DeviceExtension* deviceExtension) { return deviceExtension->StackDeviceObject; }

// Stops the channel's timers and waits for their routines to finish.
void quiesceTimers(Channel* channel)
{
    InterlockedAnd(&channel->Flags, ~LONG(kTimeoutTimerArmed));
    KeCancelTimer(&channel->TimeoutTimer);
    KeRemoveQueueDpc(&channel->TimeoutDpc);
    for (IsoTransfer& transfer : channel->Transfers) {
        KeCancelTimer(&transfer.ResubmitTimer);
        KeRemoveQueueDpc(&transfer.ResubmitDpc);
    }
    KeFlushQueuedDpcs();
}

}  // namespace

NTSTATUS USBCAMD_OpenChannel(DeviceExtension* deviceExtension, Channel* channel, ULONG streamNumber)
{
    CallSemaphoreGuard guard(deviceExtension);
    if (deviceExtension->OpenChannelCount > 0)
        return STATUS_DEVICE_DATA_ERROR;

    RtlZeroMemory(channel, sizeof(Channel));
    channel->Signature = kChannelSignature;
    channel->Device = deviceExtension;
    InitializeListHead(&channel->PendingReads);
    InitializeListHead(&channel->ReadyReads);
    KeInitializeSpinLock(&channel->ReadLock);
    KeInitializeSpinLock(&channel->TransferLock);
    KeInitializeEvent(&channel->ResetEvent, NotificationEvent, FALSE);
    KeInitializeEvent(&channel->StopEvent, NotificationEvent, FALSE);
    KeInitializeSemaphore(&channel->FrameSemaphore, 1, 1);
    KeInitializeEvent(&channel->WorkIdleEvent, NotificationEvent, TRUE);
    KeInitializeTimer(&channel->TimeoutTimer);
    KeInitializeDpc(&channel->TimeoutDpc, USBCAMD_ChannelTimeoutDPC, channel);
    for (IsoTransfer& transfer : channel->Transfers) {
        KeInitializeTimer(&transfer.ResubmitTimer);
        transfer.PendingCount = 0;
    }
    channel->SyncPipe = -1;
    channel->DataPipe = -1;
    channel->StreamNumber = streamNumber;
    channel->StreamState = KSSTATE_STOP;

    ++deviceExtension->OpenChannelCount;
    deviceExtension->ChannelExtension = channel;
    return STATUS_SUCCESS;
}

NTSTATUS USBCAMD_PrepareChannel(DeviceExtension* deviceExtension, Channel* channel, PVOID format)
{
    CallSemaphoreGuard guard(deviceExtension);
    if (channel->Prepared || channel->Streaming)
        return STATUS_UNSUCCESSFUL;

    const CameraCallbacks& camera = deviceExtension->Callbacks;
    PVOID context = cameraContext(deviceExtension);
    NTSTATUS status =
        camera.CamAllocateBandwidth(busDevice(deviceExtension), context, &channel->RawFrameLength, format);
    if (!NT_SUCCESS(status))
        return status;
    status = camera.CamStartCapture(busDevice(deviceExtension), context);
    if (!NT_SUCCESS(status)) {
        camera.CamFreeBandwidth(busDevice(deviceExtension), context);
        return status;
    }

    channel->SyncPipe = deviceExtension->SyncPipe;
    channel->DataPipe = deviceExtension->DataPipe;
    for (ULONG i = 0; i < kIsoTransferCount && NT_SUCCESS(status); ++i)
        status = USBCAMD_InitializeIsoTransfer(deviceExtension, channel, i);
    if (!NT_SUCCESS(status)) {
        for (IsoTransfer& transfer : channel->Transfers)
            USBCAMD_FreeIsoTransfer(&transfer);
        camera.CamStopCapture(busDevice(deviceExtension), context);
        camera.CamFreeBandwidth(busDevice(deviceExtension), context);
        return status;
    }

    channel->Prepared = TRUE;
    InterlockedOr(&channel->Flags, kTimeoutTimerArmed);
    LARGE_INTEGER dueTime;
    dueTime.QuadPart = -LONGLONG(kChannelTimeoutPeriodMs) * 10000;
    KeSetTimerEx(&channel->TimeoutTimer, dueTime, kChannelTimeoutPeriodMs, &channel->TimeoutDpc);
    return STATUS_SUCCESS;
}

NTSTATUS USBCAMD_UnPrepareChannel(DeviceExtension* deviceExtension, Channel* channel)
{
    CallSemaphoreGuard guard(deviceExtension);
    if (!channel->Prepared)
        return STATUS_SUCCESS;
    quiesceTimers(channel);
    const CameraCallbacks& camera = deviceExtension->Callbacks;
    camera.CamStopCapture(busDevice(deviceExtension), cameraContext(deviceExtension));
    camera.CamFreeBandwidth(busDevice(deviceExtension), cameraContext(deviceExtension));
    for (IsoTransfer& transfer : channel->Transfers)
        USBCAMD_FreeIsoTransfer(&transfer);
    channel->Prepared = FALSE;
    return STATUS_SUCCESS;
}

NTSTATUS USBCAMD_StartChannel(DeviceExtension* deviceExtension, Channel* channel)
{
    CallSemaphoreGuard guard(deviceExtension);
    if (!channel->Prepared)
        return STATUS_UNSUCCESSFUL;
    if (channel->Streaming)
        return STATUS_SUCCESS;
    NTSTATUS status = USBCAMD_ResetPipe(deviceExtension, channel->DataPipe);
    if (NT_SUCCESS(status))
        status = USBCAMD_ResetPipe(deviceExtension, channel->SyncPipe);
    if (!NT_SUCCESS(status))
        return status;
    return USBCAMD_StartIsoStream(deviceExtension, channel);
}

NTSTATUS USBCAMD_StopChannel(DeviceExtension* deviceExtension, Channel* channel)
{
    CallSemaphoreGuard guard(deviceExtension);
    if (!channel->Streaming)
        return STATUS_SUCCESS;
    KeClearEvent(&channel->StopEvent);
    InterlockedOr(&channel->Flags, kStopRequested);
    USBCAMD_AbortPipe(deviceExtension, channel->DataPipe);
    USBCAMD_AbortPipe(deviceExtension, channel->SyncPipe);
    // The time-out routine answers once both transfers are idle.
    KeWaitForSingleObject(&channel->StopEvent, Executive, KernelMode, FALSE, nullptr);
    channel->StreamError = FALSE;
    channel->Streaming = FALSE;
    return STATUS_SUCCESS;
}

NTSTATUS USBCAMD_CloseChannel(DeviceExtension* deviceExtension, Channel* channel)
{
    CallSemaphoreGuard guard(deviceExtension);
    if (deviceExtension->OpenChannelCount > 0)
        --deviceExtension->OpenChannelCount;
    completeAllReads(channel, STATUS_DEVICE_DATA_ERROR);
    return STATUS_SUCCESS;
}

void AdapterOpenStream(PHW_STREAM_REQUEST_BLOCK srb)
{
    DeviceExtension* deviceExtension = deviceExtensionOf(srb);
    PHW_STREAM_OBJECT streamObject = srb->StreamObject;
    auto* channel = static_cast<Channel*>(streamObject->HwStreamExtension);
    if (deviceExtension->StreamState != kNoStreamOpen) {
        srb->Status = kStreamAlreadyOpen;
        return;
    }
    auto* format = reinterpret_cast<PKS_DATAFORMAT_VIDEOINFOHEADER>(srb->CommandData.OpenFormat);
    if (format == nullptr || format->DataFormat.FormatSize < sizeof(KS_DATAFORMAT_VIDEOINFOHEADER)) {
        srb->Status = STATUS_INVALID_PARAMETER;
        return;
    }

    NTSTATUS status = USBCAMD_OpenChannel(deviceExtension, channel, streamObject->StreamNumber);
    if (!NT_SUCCESS(status)) {
        srb->Status = status;
        return;
    }
    channel->StreamObject = streamObject;
    channel->VideoInfoHeader = static_cast<PKS_VIDEOINFOHEADER>(allocatePool(sizeof(KS_VIDEOINFOHEADER)));
    status = channel->VideoInfoHeader != nullptr ? USBCAMD_PrepareChannel(deviceExtension, channel, format)
                                                 : STATUS_INSUFFICIENT_RESOURCES;
    if (!NT_SUCCESS(status)) {
        if (channel->VideoInfoHeader != nullptr)
            freePool(channel->VideoInfoHeader);
        channel->VideoInfoHeader = nullptr;
        USBCAMD_CloseChannel(deviceExtension, channel);
        deviceExtension->ChannelExtension = nullptr;
        channel->Signature = 0;
        srb->Status = status;
        return;
    }
    RtlCopyMemory(channel->VideoInfoHeader, &format->VideoInfoHeader, sizeof(KS_VIDEOINFOHEADER));

    // The camera layer's filters run in front of the engine's handlers.
    channel->CamReceiveDataPacket = streamObject->ReceiveDataPacket;
    channel->CamReceiveCtrlPacket = streamObject->ReceiveControlPacket;
    streamObject->ReceiveDataPacket = USBCAMD_ReceiveDataPacket;
    streamObject->ReceiveControlPacket = USBCAMD_ReceiveCtrlPacket;
    streamObject->HwClockObject.HwClockFunction = nullptr;
    streamObject->HwClockObject.ClockSupportFlags = 0;
    streamObject->Dma = FALSE;
    streamObject->Pio = TRUE;
    streamObject->StreamHeaderMediaSpecific = sizeof(KS_FRAME_INFO);
    streamObject->StreamHeaderWorkspace = 0;

    deviceExtension->StreamState = streamObject->StreamNumber;
    srb->Status = STATUS_SUCCESS;
}

void AdapterCloseStream(PHW_STREAM_REQUEST_BLOCK srb)
{
    DeviceExtension* deviceExtension = deviceExtensionOf(srb);
    Channel* channel = channelOf(srb);
    if (channel == nullptr || deviceExtension->ChannelExtension != channel) {
        srb->Status = STATUS_INVALID_PARAMETER;
        return;
    }
    // No pipe reset may start from here on, and one that is pending must
    // be done with the channel before it goes away.
    preventResets(deviceExtension, channel);
    KeWaitForSingleObject(&deviceExtension->ResetIdleEvent, Executive, KernelMode, FALSE, nullptr);

    if (channel->Streaming)
        USBCAMD_StopChannel(deviceExtension, channel);
    waitForConversions(channel);
    if (channel->Prepared)
        USBCAMD_UnPrepareChannel(deviceExtension, channel);
    USBCAMD_CloseChannel(deviceExtension, channel);

    if (channel->VideoInfoHeader != nullptr) {
        freePool(channel->VideoInfoHeader);
        channel->VideoInfoHeader = nullptr;
    }
    channel->Signature = 0;
    deviceExtension->ChannelExtension = nullptr;
    deviceExtension->StreamState = kNoStreamOpen;
    if (deviceExtension->DevicePresent == kDeviceRemoved)
        USBCAMD_RemoveDevice(deviceExtension);
    srb->Status = STATUS_SUCCESS;
}

}  // namespace qm::morvax
