#include "videodriver/engine/read_path.h"

namespace qm::morvax {

namespace {

struct FrameWorkItem {
    WORK_QUEUE_ITEM Item;
    Channel* Owner;
};

PKSSTREAM_HEADER streamHeaderOf(PHW_STREAM_REQUEST_BLOCK srb) { return srb->CommandData.DataBufferArray; }

void freeRawBuffer(ReadRequest* read)
{
    if (read->RawFrameBuffer != nullptr) {
        freePool(read->RawFrameBuffer);
        read->RawFrameBuffer = nullptr;
        read->RawDataPointer = nullptr;
    }
}

// A read that ends without a frame: nothing used, its buffer freed.
void completeReadWithoutFrame(ReadRequest* read, NTSTATUS status)
{
    PHW_STREAM_REQUEST_BLOCK srb = read->Srb;
    freeRawBuffer(read);
    if (PKSSTREAM_HEADER header = streamHeaderOf(srb); header != nullptr)
        header->DataUsed = 0;
    srb->Status = status;
    completeStreamRequest(srb);
}

// Conversions in flight; the channel is not torn down before they end.
void beginWork(Channel* channel)
{
    KIRQL irql;
    KeAcquireSpinLock(&channel->ReadLock, &irql);
    if (channel->OutstandingWork++ == 0)
        KeClearEvent(&channel->WorkIdleEvent);
    KeReleaseSpinLock(&channel->ReadLock, irql);
}

void endWork(Channel* channel)
{
    KIRQL irql;
    KeAcquireSpinLock(&channel->ReadLock, &irql);
    if (--channel->OutstandingWork == 0)
        KeSetEvent(&channel->WorkIdleEvent, IO_NO_INCREMENT, FALSE);
    KeReleaseSpinLock(&channel->ReadLock, irql);
}

void USBCAMD_ProcessWorkItem(PVOID parameter)
{
    auto* work = static_cast<FrameWorkItem*>(parameter);
    Channel* channel = work->Owner;
    freePool(work);
    DeviceExtension* deviceExtension = channel->Device;

    KeWaitForSingleObject(&channel->FrameSemaphore, Executive, KernelMode, FALSE, nullptr);
    // Every work item was queued with one read behind it.
    PLIST_ENTRY entry = ExInterlockedRemoveHeadList(&channel->ReadyReads, &channel->ReadLock);
    if (entry == nullptr || entry == &channel->ReadyReads) {
        KeReleaseSemaphore(&channel->FrameSemaphore, IO_NO_INCREMENT, 1, FALSE);
        endWork(channel);
        return;
    }
    ReadRequest* read = CONTAINING_RECORD(entry, ReadRequest, ListEntry);
    if (channel->FirstFrame) {
        BOOLEAN valid = FALSE;
        channel->StartTime = channelStreamTime(channel, &valid);
        channel->FirstFrame = FALSE;
    }
    PKSSTREAM_HEADER header = streamHeaderOf(read->Srb);
    ULONG bytesReturned = 0;
    const NTSTATUS status = deviceExtension->Callbacks.CamProcessRawVideoFrame(
        deviceExtension->StackDeviceObject, cameraContext(deviceExtension), frameContextOf(read), header->Data,
        header->FrameExtent, read->RawFrameBuffer, read->RawDataPointer, read->RawFrameLength, read->BytesReceived,
        &bytesReturned);
    if (NT_SUCCESS(status)) {
        if (bytesReturned > header->FrameExtent)
            bytesReturned = header->FrameExtent;
        USBCAMD_CompleteRead(channel, read, STATUS_SUCCESS, bytesReturned);
    } else {
        // The frame gave nothing: the read waits for another one.
        read->BytesReceived = 0;
        ExInterlockedInsertTailList(&channel->PendingReads, &read->ListEntry, &channel->ReadLock);
    }
    KeReleaseSemaphore(&channel->FrameSemaphore, IO_NO_INCREMENT, 1, FALSE);
    endWork(channel);
}

}  // namespace

Channel* channelOf(PHW_STREAM_REQUEST_BLOCK srb)
{
    if (srb->StreamObject == nullptr)
        return nullptr;
    auto* channel = static_cast<Channel*>(srb->StreamObject->HwStreamExtension);
    return channel != nullptr && channel->Signature == kChannelSignature ? channel : nullptr;
}

void completeStreamRequest(PHW_STREAM_REQUEST_BLOCK srb)
{
    StreamClassStreamNotification(StreamRequestComplete, srb->StreamObject, srb);
}

LONGLONG channelStreamTime(Channel* channel, BOOLEAN* valid)
{
    *valid = FALSE;
    if (channel->MasterClock == nullptr)
        return 0;
    HW_TIME_CONTEXT timeContext{};
    timeContext.HwDeviceExtension = channel->Device;
    timeContext.HwStreamObject = channel->StreamObject;
    timeContext.Function = TIME_GET_STREAM_TIME;
    StreamClassQueryMasterClockSync(channel->MasterClock, &timeContext);
    *valid = TRUE;
    return timeContext.Time;
}

VOID USBCAMD_ReceiveDataPacket(PHW_STREAM_REQUEST_BLOCK srb)
{
    Channel* channel = channelOf(srb);
    if (channel == nullptr) {
        srb->Status = STATUS_INVALID_PARAMETER;
        completeStreamRequest(srb);
        return;
    }
    if (runCameraFilter(channel->CamReceiveDataPacket, srb)) {
        completeStreamRequest(srb);
        return;
    }
    if (srb->Command != SRB_READ_DATA) {
        srb->Status = STATUS_NOT_IMPLEMENTED;
        completeStreamRequest(srb);
        return;
    }
    PKSSTREAM_HEADER header = streamHeaderOf(srb);
    if (header == nullptr || srb->NumberOfBuffers < 1 || header->Data == nullptr) {
        srb->Status = STATUS_INVALID_PARAMETER;
        completeStreamRequest(srb);
        return;
    }
    if (channel->StreamState == KSSTATE_STOP) {
        header->DataUsed = 0;
        srb->Status = STATUS_SUCCESS;
        completeStreamRequest(srb);
        return;
    }
    if (header->FrameExtent < channel->VideoInfoHeader->bmiHeader.biSizeImage) {
        srb->Status = STATUS_INSUFFICIENT_RESOURCES;
        completeStreamRequest(srb);
        return;
    }
    const NTSTATUS status = USBCAMD_ReadChannel(channel, srb);
    if (status != STATUS_PENDING) {
        srb->Status = status;
        completeStreamRequest(srb);
    }
}

NTSTATUS USBCAMD_ReadChannel(Channel* channel, PHW_STREAM_REQUEST_BLOCK srb)
{
    if (channel->RawFrameLength <= kRawBufferReserve)
        return STATUS_INSUFFICIENT_RESOURCES;
    ReadRequest* read = readRequestOf(srb);
    RtlZeroMemory(read, sizeof(ReadRequest));
    read->Signature = kReadRequestSignature;
    read->Srb = srb;
    read->RawFrameBuffer = static_cast<PUCHAR>(allocatePool(channel->RawFrameLength));
    if (read->RawFrameBuffer == nullptr)
        return STATUS_INSUFFICIENT_RESOURCES;
    read->RawDataPointer = read->RawFrameBuffer + kRawBufferReserve;
    read->RawFrameLength = channel->RawFrameLength;
    read->BytesReceived = 0;
    srb->Status = STATUS_PENDING;
    ExInterlockedInsertTailList(&channel->PendingReads, &read->ListEntry, &channel->ReadLock);
    return STATUS_PENDING;
}

void USBCAMD_CompleteReadRequest(Channel* channel, ReadRequest* read)
{
    auto* work = static_cast<FrameWorkItem*>(allocatePool(sizeof(FrameWorkItem)));
    if (work == nullptr) {
        USBCAMD_CompleteRead(channel, read, STATUS_INSUFFICIENT_RESOURCES, 0);
        return;
    }
    work->Owner = channel;
    ExInterlockedInsertTailList(&channel->ReadyReads, &read->ListEntry, &channel->ReadLock);
    beginWork(channel);
    ExInitializeWorkItem(&work->Item, USBCAMD_ProcessWorkItem, work);
    ExQueueWorkItem(&work->Item, CriticalWorkQueue);
}

void USBCAMD_CompleteRead(Channel* channel, ReadRequest* read, NTSTATUS status, ULONG bytesTransferred)
{
    PHW_STREAM_REQUEST_BLOCK srb = read->Srb;
    PKSSTREAM_HEADER header = streamHeaderOf(srb);
    const LONGLONG avgTimePerFrame = channel->VideoInfoHeader != nullptr ? channel->VideoInfoHeader->AvgTimePerFrame : 0;

    header->DataUsed = bytesTransferred;
    header->PresentationTime.Numerator = 1;
    header->PresentationTime.Denominator = 1;
    header->Duration = avgTimePerFrame;
    BOOLEAN clockValid = FALSE;
    const LONGLONG time = channelStreamTime(channel, &clockValid);
    header->PresentationTime.Time = time;
    constexpr ULONG kTimeFlags = KSSTREAM_HEADER_OPTIONSF_TIMEVALID | KSSTREAM_HEADER_OPTIONSF_DURATIONVALID;
    if (clockValid)
        header->OptionsFlags |= kTimeFlags;
    else
        header->OptionsFlags &= ~kTimeFlags;

    // A format without a frame time cannot number frames by time; count them instead.
    const LONGLONG pictureNumber =
        avgTimePerFrame > 0 ? (time - channel->StartTime) / avgTimePerFrame + 1 : LONGLONG(channel->FramesCaptured);
    const LONGLONG dropCount = pictureNumber - LONGLONG(channel->FramesCaptured);
    channel->FrameInfo.PictureNumber = pictureNumber;
    channel->FrameInfo.DropCount = dropCount > 0 ? dropCount : 0;

    // The frame information follows the stream header when the caller made room for it.
    if (header->Size >= sizeof(KSSTREAM_HEADER) + sizeof(KS_FRAME_INFO)) {
        auto* frameInfo = reinterpret_cast<PKS_FRAME_INFO>(header + 1);
        const ULONG extendedHeaderSize = frameInfo->ExtendedHeaderSize;
        *frameInfo = channel->FrameInfo;
        frameInfo->ExtendedHeaderSize = extendedHeaderSize;
    }
    freeRawBuffer(read);
    srb->Status = status;
    completeStreamRequest(srb);
}

void completeAllReads(Channel* channel, NTSTATUS status)
{
    LIST_ENTRY reads;
    InitializeListHead(&reads);
    KIRQL irql;
    KeAcquireSpinLock(&channel->ReadLock, &irql);
    if (channel->CurrentRead != nullptr) {
        InsertTailList(&reads, &channel->CurrentRead->ListEntry);
        channel->CurrentRead = nullptr;
    }
    while (!IsListEmpty(&channel->PendingReads))
        InsertTailList(&reads, RemoveHeadList(&channel->PendingReads));
    KeReleaseSpinLock(&channel->ReadLock, irql);

    while (!IsListEmpty(&reads))
        completeReadWithoutFrame(CONTAINING_RECORD(RemoveHeadList(&reads), ReadRequest, ListEntry), status);
}

VOID AdapterCancelPacket(PHW_STREAM_REQUEST_BLOCK srb)
{
    Channel* channel = channelOf(srb);
    if (channel == nullptr)
        return;
    ReadRequest* found = nullptr;
    KIRQL irql;
    KeAcquireSpinLock(&channel->ReadLock, &irql);
    if (channel->CurrentRead != nullptr && channel->CurrentRead->Srb == srb) {
        found = channel->CurrentRead;
        channel->CurrentRead = nullptr;
    } else {
        for (PLIST_ENTRY entry = channel->PendingReads.Flink; entry != &channel->PendingReads; entry = entry->Flink) {
            ReadRequest* read = CONTAINING_RECORD(entry, ReadRequest, ListEntry);
            if (read->Srb == srb) {
                RemoveEntryList(entry);
                found = read;
                break;
            }
        }
    }
    KeReleaseSpinLock(&channel->ReadLock, irql);
    // A read that is being converted completes on its own; completing it
    // here as well would complete it twice.
    if (found != nullptr)
        completeReadWithoutFrame(found, STATUS_CANCELLED);
}

}  // namespace qm::morvax

namespace qm::morvax {

void waitForConversions(Channel* channel)
{
    KeWaitForSingleObject(&channel->WorkIdleEvent, Executive, KernelMode, FALSE, nullptr);
}

}  // namespace qm::morvax
