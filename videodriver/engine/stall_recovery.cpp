#include "videodriver/engine/stall_recovery.h"

#include "videodriver/engine/channel_control.h"
#include "videodriver/engine/iso_stream.h"
#include "videodriver/engine/read_path.h"
#include "videodriver/engine/usb_requests.h"

namespace qm::morvax {

namespace {

void abortPipes(DeviceExtension* deviceExtension, Channel* channel)
{
    channel->StreamError = TRUE;
    USBCAMD_AbortPipe(deviceExtension, channel->DataPipe);
    USBCAMD_AbortPipe(deviceExtension, channel->SyncPipe);
}

void USBCAMD_ResetWorkItem(PVOID parameter)
{
    auto* deviceExtension = static_cast<DeviceExtension*>(parameter);
    if (Channel* channel = deviceExtension->ChannelExtension; channel != nullptr)
        USBCAMD_ResetChannel(deviceExtension, channel);

    KIRQL irql;
    KeAcquireSpinLock(&deviceExtension->PendingRequestLock, &irql);
    InterlockedDecrement(&deviceExtension->ResetCount);
    KeSetEvent(&deviceExtension->ResetIdleEvent, IO_NO_INCREMENT, FALSE);
    KeReleaseSpinLock(&deviceExtension->PendingRequestLock, irql);
}

}  // namespace

VOID AdapterTimeoutPacket(PHW_STREAM_REQUEST_BLOCK srb)
{
    DeviceExtension* deviceExtension = deviceExtensionOf(srb);
    Channel* channel = channelOf(srb);
    if (deviceExtension != nullptr && deviceExtension->DevicePresent == kDeviceStarted && channel != nullptr)
        USBCAMD_ProcessResetRequest(deviceExtension, channel);
    // The read stays pending; the reset brings new frames or cancels it.
    srb->TimeoutCounter = srb->TimeoutOriginal;
}

void USBCAMD_ProcessResetRequest(DeviceExtension* deviceExtension, Channel* channel)
{
    KIRQL irql;
    KeAcquireSpinLock(&deviceExtension->PendingRequestLock, &irql);
    if (channel->StreamState == KSSTATE_RUN && !channel->Closing && deviceExtension->ChannelExtension == channel) {
        if (InterlockedIncrement(&deviceExtension->ResetCount) == 0) {
            KeClearEvent(&deviceExtension->ResetIdleEvent);
            KeClearEvent(&channel->ResetEvent);
            InterlockedOr(&channel->Flags, kResetRequested);
            ExInitializeWorkItem(&deviceExtension->ResetWorkItem, USBCAMD_ResetWorkItem, deviceExtension);
            ExQueueWorkItem(&deviceExtension->ResetWorkItem, DelayedWorkQueue);
        } else {
            InterlockedDecrement(&deviceExtension->ResetCount);
        }
    }
    KeReleaseSpinLock(&deviceExtension->PendingRequestLock, irql);
}

void preventResets(DeviceExtension* deviceExtension, Channel* channel)
{
    KIRQL irql;
    KeAcquireSpinLock(&deviceExtension->PendingRequestLock, &irql);
    channel->Closing = TRUE;
    KeReleaseSpinLock(&deviceExtension->PendingRequestLock, irql);
}

NTSTATUS USBCAMD_ResetChannel(DeviceExtension* deviceExtension, Channel* channel)
{
    CallSemaphoreGuard guard(deviceExtension);
    ULONG portStatus = 0;
    bool connected = false;
    if (!NT_SUCCESS(USBCAMD_GetPortStatus(deviceExtension, &portStatus))) {
        abortPipes(deviceExtension, channel);
    } else if (portStatus & USBD_PORT_CONNECTED) {
        connected = true;
        if (!(portStatus & USBD_PORT_ENABLED))
            USBCAMD_EnablePort(deviceExtension);
        abortPipes(deviceExtension, channel);
    }

    if (channel->Streaming) {
        // The time-out routine answers once both transfers are idle.
        KeWaitForSingleObject(&channel->ResetEvent, Executive, KernelMode, FALSE, nullptr);
    } else {
        // Stopped meanwhile: nothing is in flight and nobody would answer.
        InterlockedAnd(&channel->Flags, ~LONG(kResetRequested));
    }
    channel->StreamError = FALSE;
    if (!connected)
        return STATUS_SUCCESS;

    USBCAMD_ResetPipe(deviceExtension, channel->DataPipe);
    USBCAMD_ResetPipe(deviceExtension, channel->SyncPipe);
    if (!channel->Streaming)
        return STATUS_SUCCESS;
    const CameraCallbacks& camera = deviceExtension->Callbacks;
    PVOID context = cameraContext(deviceExtension);
    camera.CamStopCapture(deviceExtension->StackDeviceObject, context);
    camera.CamStartCapture(deviceExtension->StackDeviceObject, context);
    channel->SyncPipe = deviceExtension->SyncPipe;
    channel->DataPipe = deviceExtension->DataPipe;
    return USBCAMD_StartIsoStream(deviceExtension, channel);
}

void USBCAMD_ChannelTimeoutDPC(PKDPC, PVOID context, PVOID, PVOID)
{
    auto* channel = static_cast<Channel*>(context);
    const LONG flags = channel->Flags;
    if (!(flags & kTimeoutTimerArmed) || !(flags & (kStopRequested | kResetRequested)) || !channel->Streaming)
        return;
    KIRQL irql;
    KeAcquireSpinLock(&channel->TransferLock, &irql);
    bool idle = true;
    for (const IsoTransfer& transfer : channel->Transfers)
        idle = idle && transferIdle(transfer);
    KeReleaseSpinLock(&channel->TransferLock, irql);
    if (!idle)
        return;

    completeAllReads(channel, STATUS_CANCELLED);
    if (flags & kResetRequested) {
        InterlockedAnd(&channel->Flags, ~LONG(kResetRequested));
        KeSetEvent(&channel->ResetEvent, IO_NO_INCREMENT, FALSE);
    }
    if (flags & kStopRequested) {
        InterlockedAnd(&channel->Flags, ~LONG(kStopRequested));
        KeSetEvent(&channel->StopEvent, IO_NO_INCREMENT, FALSE);
    }
}

}  // namespace qm::morvax
