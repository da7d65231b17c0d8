#include "videodriver/engine/iso_stream.h"

#include "videodriver/engine/usb_requests.h"

namespace qm::morvax {

namespace {

constexpr SIZE_T kIsoUrbSize = GET_ISO_URB_SIZE(kIsoPacketsPerTransfer);
static_assert(kIsoUrbSize <= 0xFFFF);
// The sync pipe sends one status byte per frame.
constexpr ULONG kSyncPacketSize = 1;
constexpr ULONG kSyncBytes = kIsoPacketsPerTransfer * kSyncPacketSize;

ULONG dataPacketSize(DeviceExtension* deviceExtension, const Channel* channel)
{
    PUSBD_PIPE_INFORMATION pipe = pipeInformation(deviceExtension, channel->DataPipe);
    return pipe != nullptr ? pipe->MaximumPacketSize : 0;
}

bool hasSyncPipe(DeviceExtension* deviceExtension, const Channel* channel)
{
    return pipeInformation(deviceExtension, channel->SyncPipe) != nullptr;
}

void USBCAMD_InitializeIsoUrb(PURB urb, PUSBD_PIPE_INFORMATION pipe, PUCHAR buffer, ULONG packetSize)
{
    RtlZeroMemory(urb, kIsoUrbSize);
    _URB_ISOCH_TRANSFER& iso = urb->UrbIsochronousTransfer;
    iso.Hdr.Length = USHORT(kIsoUrbSize);
    iso.Hdr.Function = URB_FUNCTION_ISOCH_TRANSFER;
    iso.PipeHandle = pipe->PipeHandle;
    iso.TransferFlags = USBD_TRANSFER_DIRECTION_IN | USBD_START_ISO_TRANSFER_ASAP;
    iso.NumberOfPackets = kIsoPacketsPerTransfer;
    for (ULONG i = 0; i < kIsoPacketsPerTransfer; ++i)
        iso.IsoPacket[i].Offset = i * packetSize;
    iso.TransferBuffer = buffer;
    iso.TransferBufferLength = kIsoPacketsPerTransfer * packetSize;
}

void USBCAMD_BuildIoRequest(IsoTransfer* transfer, PURB urb, PIRP irp)
{
    IoReuseIrp(irp, STATUS_SUCCESS);
    PIO_STACK_LOCATION next = IoGetNextIrpStackLocation(irp);
    next->MajorFunction = IRP_MJ_INTERNAL_DEVICE_CONTROL;
    next->Parameters.DeviceIoControl.IoControlCode = IOCTL_INTERNAL_USB_SUBMIT_URB;
    next->Parameters.Others.Argument1 = urb;
    IoSetCompletionRoutine(irp, USBCAMD_IsoIrp_Complete, transfer, TRUE, TRUE, TRUE);
}

// Fresh URBs and IRPs for the next trip of a transfer.
void rebuildTransfer(DeviceExtension* deviceExtension, IsoTransfer* transfer)
{
    Channel* channel = transfer->Owner;
    USBCAMD_InitializeIsoUrb(transfer->DataUrb, pipeInformation(deviceExtension, channel->DataPipe),
                             transfer->TransferBuffer + kSyncBytes, transfer->DataPacketSize);
    USBCAMD_BuildIoRequest(transfer, transfer->DataUrb, transfer->DataIrp);
    if (transfer->SyncIrp != nullptr) {
        USBCAMD_InitializeIsoUrb(transfer->SyncUrb, pipeInformation(deviceExtension, channel->SyncPipe),
                                 transfer->TransferBuffer, kSyncPacketSize);
        USBCAMD_BuildIoRequest(transfer, transfer->SyncUrb, transfer->SyncIrp);
    }
}

bool streamMayContinue(const Channel* channel)
{
    return channel->Streaming && !channel->StreamError && (channel->Flags & (kStopRequested | kResetRequested)) == 0;
}

void USBCAMD_SubitIsoRequestDpc(PKDPC, PVOID context, PVOID, PVOID)
{
    auto* transfer = static_cast<IsoTransfer*>(context);
    Channel* channel = transfer->Owner;
    KIRQL irql;
    KeAcquireSpinLock(&channel->TransferLock, &irql);
    const bool resubmit = streamMayContinue(channel);
    if (!resubmit)
        transfer->ResubmitArmed = FALSE;
    KeReleaseSpinLock(&channel->TransferLock, irql);
    if (!resubmit)
        return;
    rebuildTransfer(transfer->Device, transfer);
    USBCAMD_SubmitIsoTransfer(transfer->Device, transfer, 0, TRUE);
}

bool urbFailed(const PURB urb) { return urb != nullptr && !USBD_SUCCESS(urb->UrbHeader.Status); }

bool everyPacketFailed(const PURB urb)
{
    return urb != nullptr &&
           urb->UrbIsochronousTransfer.ErrorCount >= urb->UrbIsochronousTransfer.NumberOfPackets;
}

}  // namespace

NTSTATUS USBCAMD_InitializeIsoTransfer(DeviceExtension* deviceExtension, Channel* channel, ULONG index)
{
    IsoTransfer* transfer = &channel->Transfers[index];
    RtlZeroMemory(transfer, sizeof(IsoTransfer));
    transfer->Signature = kIsoTransferSignature;
    transfer->Device = deviceExtension;
    transfer->Owner = channel;
    KeInitializeTimer(&transfer->ResubmitTimer);
    KeInitializeDpc(&transfer->ResubmitDpc, USBCAMD_SubitIsoRequestDpc, transfer);

    const ULONG packetSize = dataPacketSize(deviceExtension, channel);
    if (packetSize == 0)
        return STATUS_DEVICE_DATA_ERROR;
    transfer->DataPacketSize = packetSize;
    const CCHAR stackSize = CCHAR(deviceExtension->StackDeviceObject->StackSize + 1);
    transfer->TransferBuffer = static_cast<PUCHAR>(allocatePool((packetSize + 1) * kIsoPacketsPerTransfer));
    transfer->UrbBlock = static_cast<PUCHAR>(allocatePool(2 * kIsoUrbSize));
    transfer->DataIrp = IoAllocateIrp(stackSize, FALSE);
    if (hasSyncPipe(deviceExtension, channel))
        transfer->SyncIrp = IoAllocateIrp(stackSize, FALSE);
    if (transfer->TransferBuffer == nullptr || transfer->UrbBlock == nullptr || transfer->DataIrp == nullptr ||
        (hasSyncPipe(deviceExtension, channel) && transfer->SyncIrp == nullptr)) {
        USBCAMD_FreeIsoTransfer(transfer);
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    transfer->SyncUrb = reinterpret_cast<PURB>(transfer->UrbBlock);
    transfer->DataUrb = reinterpret_cast<PURB>(transfer->UrbBlock + kIsoUrbSize);
    return STATUS_SUCCESS;
}

void USBCAMD_FreeIsoTransfer(IsoTransfer* transfer)
{
    KeCancelTimer(&transfer->ResubmitTimer);
    KeRemoveQueueDpc(&transfer->ResubmitDpc);
    if (transfer->SyncIrp != nullptr)
        IoFreeIrp(transfer->SyncIrp);
    if (transfer->DataIrp != nullptr)
        IoFreeIrp(transfer->DataIrp);
    if (transfer->UrbBlock != nullptr)
        freePool(transfer->UrbBlock);
    if (transfer->TransferBuffer != nullptr)
        freePool(transfer->TransferBuffer);
    transfer->SyncIrp = transfer->DataIrp = nullptr;
    transfer->UrbBlock = transfer->TransferBuffer = nullptr;
    transfer->SyncUrb = transfer->DataUrb = nullptr;
}

NTSTATUS USBCAMD_StartIsoStream(DeviceExtension* deviceExtension, Channel* channel)
{
    ULONG startFrame = USBCAMD_GetCurrentFrame(deviceExtension) + 10;
    // Completions that find the channel not streaming count as errors, so
    // the flag goes up before the first transfer leaves.
    channel->Streaming = TRUE;
    KIRQL irql;
    KeAcquireSpinLock(&channel->ReadLock, &irql);
    channel->AtStreamStart = TRUE;
    KeReleaseSpinLock(&channel->ReadLock, irql);
    NTSTATUS status = STATUS_SUCCESS;
    for (IsoTransfer& transfer : channel->Transfers) {
        rebuildTransfer(deviceExtension, &transfer);
        const NTSTATUS submitted = USBCAMD_SubmitIsoTransfer(deviceExtension, &transfer, startFrame, FALSE);
        if (!NT_SUCCESS(submitted))
            status = submitted;
        startFrame += kIsoPacketsPerTransfer;
    }
    return status;
}

NTSTATUS USBCAMD_SubmitIsoTransfer(DeviceExtension* deviceExtension, IsoTransfer* transfer, ULONG startFrame,
                                   BOOLEAN asap)
{
    Channel* channel = transfer->Owner;
    RtlZeroMemory(transfer->TransferBuffer, kSyncBytes);
    for (PURB urb : {transfer->SyncUrb, transfer->DataUrb}) {
        if (urb == transfer->SyncUrb && transfer->SyncIrp == nullptr)
            continue;
        _URB_ISOCH_TRANSFER& iso = urb->UrbIsochronousTransfer;
        if (asap) {
            iso.TransferFlags |= USBD_START_ISO_TRANSFER_ASAP;
        } else {
            iso.TransferFlags &= ~USBD_START_ISO_TRANSFER_ASAP;
            iso.StartFrame = startFrame;
        }
    }

    KIRQL irql;
    KeAcquireSpinLock(&channel->TransferLock, &irql);
    transfer->PendingCount = transfer->SyncIrp != nullptr ? 2 : 1;
    transfer->ResubmitArmed = FALSE;
    KeReleaseSpinLock(&channel->TransferLock, irql);

    NTSTATUS status = STATUS_PENDING;
    if (transfer->SyncIrp != nullptr) {
        if (IoCallDriver(deviceExtension->StackDeviceObject, transfer->SyncIrp) != STATUS_PENDING) {
            channel->StreamError = TRUE;
            status = STATUS_UNSUCCESSFUL;
        }
    }
    if (IoCallDriver(deviceExtension->StackDeviceObject, transfer->DataIrp) != STATUS_PENDING) {
        channel->StreamError = TRUE;
        status = STATUS_UNSUCCESSFUL;
    }
    return status == STATUS_PENDING ? STATUS_SUCCESS : status;
}

NTSTATUS USBCAMD_IsoIrp_Complete(PDEVICE_OBJECT, PIRP, PVOID context)
{
    auto* transfer = static_cast<IsoTransfer*>(context);
    Channel* channel = transfer->Owner;
    if (!channel->Streaming)
        channel->StreamError = TRUE;

    KIRQL irql;
    KeAcquireSpinLock(&channel->TransferLock, &irql);
    const bool last = --transfer->PendingCount == 0;
    const bool proceed = last && (channel->Flags & kStopRequested) == 0 && !channel->StreamError;
    if (proceed)
        transfer->ResubmitArmed = TRUE;  // the transfer is not idle while we work on it
    KeReleaseSpinLock(&channel->TransferLock, irql);
    if (!proceed)
        return STATUS_MORE_PROCESSING_REQUIRED;

    const PURB syncUrb = transfer->SyncIrp != nullptr ? transfer->SyncUrb : nullptr;
    if (urbFailed(syncUrb) || urbFailed(transfer->DataUrb))
        channel->StreamError = TRUE;  // the packets that did arrive are still used this once
    if (everyPacketFailed(syncUrb) || everyPacketFailed(transfer->DataUrb))
        channel->StreamError = TRUE;
    else
        USBCAMD_TransferComplete(channel, transfer);

    KeAcquireSpinLock(&channel->TransferLock, &irql);
    if (streamMayContinue(channel)) {
        LARGE_INTEGER dueTime;
        dueTime.QuadPart = kResubmitDelay;
        KeSetTimer(&transfer->ResubmitTimer, dueTime, &transfer->ResubmitDpc);
    } else {
        transfer->ResubmitArmed = FALSE;
    }
    KeReleaseSpinLock(&channel->TransferLock, irql);
    return STATUS_MORE_PROCESSING_REQUIRED;
}

}  // namespace qm::morvax
