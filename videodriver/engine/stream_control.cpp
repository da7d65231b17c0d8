#include "videodriver/engine/stream_control.h"

#include "videodriver/engine/channel_control.h"
#include "videodriver/engine/read_path.h"

namespace qm::morvax {

namespace {

// Allocator framing the stream asks for: system memory, modified in place,
// as a preference only.
constexpr ULONG kFramingRequirements = KSALLOCATOR_REQUIREMENTF_SYSTEM_MEMORY |
                                       KSALLOCATOR_REQUIREMENTF_INPLACE_MODIFIER |
                                       KSALLOCATOR_REQUIREMENTF_PREFERENCES_ONLY;
constexpr ULONG kFramingFrames = 4;

PLIST_ENTRY controlListEntry(PHW_STREAM_REQUEST_BLOCK srb) { return &readRequestOf(srb)->ListEntry; }

NTSTATUS getStreamState(Channel* channel, PHW_STREAM_REQUEST_BLOCK srb)
{
    srb->CommandData.StreamState = channel->StreamState;
    srb->ActualBytesTransferred = sizeof(KSSTATE);
    // A paused capture stream has no data to show.
    return channel->StreamState == KSSTATE_PAUSE ? STATUS_NO_DATA_DETECTED : STATUS_SUCCESS;
}

void processControlRequest(PHW_STREAM_REQUEST_BLOCK srb)
{
    Channel* channel = channelOf(srb);
    if (channel == nullptr) {
        srb->Status = STATUS_INVALID_PARAMETER;
        completeStreamRequest(srb);
        return;
    }
    DeviceExtension* deviceExtension = channel->Device;
    const bool claimed = runCameraFilter(channel->CamReceiveCtrlPacket, srb);
    const NTSTATUS cameraStatus = claimed ? srb->Status : STATUS_NOT_IMPLEMENTED;

    NTSTATUS status = STATUS_NOT_IMPLEMENTED;
    switch (srb->Command) {
    case SRB_SET_STREAM_STATE:
        status = USBCAMD_SetStreamState(deviceExtension, channel, srb->CommandData.StreamState);
        break;
    case SRB_GET_STREAM_STATE:
        status = getStreamState(channel, srb);
        break;
    case SRB_GET_STREAM_PROPERTY:
        status = VideoGetProperty(srb);
        break;
    case SRB_INDICATE_MASTER_CLOCK:
        channel->MasterClock = srb->CommandData.MasterClockHandle;
        status = STATUS_SUCCESS;
        break;
    case SRB_PROPOSE_DATA_FORMAT:
    case SRB_GET_DATA_FORMAT:
        status = cameraStatus;
        break;
    case SRB_SET_DATA_FORMAT:
        status = claimed && NT_SUCCESS(cameraStatus) ? VideoSetFormat(srb) : cameraStatus;
        break;
    default:
        status = claimed ? cameraStatus : STATUS_NOT_IMPLEMENTED;
        break;
    }
    srb->Status = status;
    completeStreamRequest(srb);
}

}  // namespace

VOID USBCAMD_ReceiveCtrlPacket(PHW_STREAM_REQUEST_BLOCK srb)
{
    DeviceExtension* deviceExtension = deviceExtensionOf(srb);
    if (AddToListIfBusy(srb, deviceExtension))
        return;
    do {
        processControlRequest(srb);
        srb = RemoveFromListIfAvailable(deviceExtension);
    } while (srb != nullptr);
}

BOOLEAN AddToListIfBusy(PHW_STREAM_REQUEST_BLOCK srb, DeviceExtension* deviceExtension)
{
    KIRQL irql;
    KeAcquireSpinLock(&deviceExtension->PendingRequestLock, &irql);
    const BOOLEAN busy = deviceExtension->ProcessingControlRequest;
    if (busy) {
        readRequestOf(srb)->Srb = srb;
        InsertTailList(&deviceExtension->PendingRequestList, controlListEntry(srb));
    }
    else
        deviceExtension->ProcessingControlRequest = TRUE;
    KeReleaseSpinLock(&deviceExtension->PendingRequestLock, irql);
    return busy;
}

PHW_STREAM_REQUEST_BLOCK RemoveFromListIfAvailable(DeviceExtension* deviceExtension)
{
    PHW_STREAM_REQUEST_BLOCK srb = nullptr;
    KIRQL irql;
    KeAcquireSpinLock(&deviceExtension->PendingRequestLock, &irql);
    if (IsListEmpty(&deviceExtension->PendingRequestList)) {
        deviceExtension->ProcessingControlRequest = FALSE;
    } else {
        ReadRequest* request =
            CONTAINING_RECORD(RemoveHeadList(&deviceExtension->PendingRequestList), ReadRequest, ListEntry);
        srb = request->Srb;
    }
    KeReleaseSpinLock(&deviceExtension->PendingRequestLock, irql);
    return srb;
}

NTSTATUS USBCAMD_SetStreamState(DeviceExtension* deviceExtension, Channel* channel, KSSTATE newState)
{
    const KSSTATE previous = channel->StreamState;
    channel->StreamState = newState;
    switch (newState) {
    case KSSTATE_STOP:
        return channel->Streaming ? USBCAMD_StopChannel(deviceExtension, channel) : STATUS_SUCCESS;
    case KSSTATE_ACQUIRE:
        return STATUS_SUCCESS;
    case KSSTATE_PAUSE:
        if (previous == KSSTATE_STOP || previous == KSSTATE_ACQUIRE) {
            // A new run: frame numbers start again from the first frame.
            channel->FrameInfo.PictureNumber = 0;
            channel->FrameInfo.DropCount = 0;
            channel->FrameInfo.dwFrameFlags = 0;
            channel->FramesCaptured = 0;
            channel->FirstFrame = TRUE;
        }
        return STATUS_SUCCESS;
    case KSSTATE_RUN:
        return channel->Streaming ? STATUS_SUCCESS : USBCAMD_StartChannel(deviceExtension, channel);
    default:
        return STATUS_NOT_IMPLEMENTED;
    }
}

NTSTATUS VideoGetProperty(PHW_STREAM_REQUEST_BLOCK srb)
{
    Channel* channel = channelOf(srb);
    PSTREAM_PROPERTY_DESCRIPTOR info = srb->CommandData.PropertyInfo;
    if (info == nullptr || info->Property == nullptr || info->PropertyInfo == nullptr)
        return STATUS_INVALID_PARAMETER;
    const GUID& set = info->Property->Set;
    const ULONG id = info->Property->Id;
    const PKS_VIDEOINFOHEADER format = channel->VideoInfoHeader;

    if (IsEqualGUID(set, KSPROPSETID_Connection) && id == KSPROPERTY_CONNECTION_ALLOCATORFRAMING) {
        if (format == nullptr)
            return STATUS_INVALID_PARAMETER;
        if (info->PropertyOutputSize < sizeof(KSALLOCATOR_FRAMING))
            return STATUS_BUFFER_TOO_SMALL;
        auto* framing = static_cast<KSALLOCATOR_FRAMING*>(info->PropertyInfo);
        RtlZeroMemory(framing, sizeof(KSALLOCATOR_FRAMING));
        framing->RequirementsFlags = kFramingRequirements;
        framing->PoolType = PagedPool;
        framing->Frames = kFramingFrames;
        framing->FrameSize = format->bmiHeader.biSizeImage;
        framing->FileAlignment = 0;
        srb->ActualBytesTransferred = sizeof(KSALLOCATOR_FRAMING);
        return STATUS_SUCCESS;
    }
    if (IsEqualGUID(set, PROPSETID_VIDCAP_DROPPEDFRAMES) && id == KSPROPERTY_DROPPEDFRAMES_CURRENT) {
        if (info->PropertyOutputSize < sizeof(KSPROPERTY_DROPPEDFRAMES_CURRENT_S))
            return STATUS_BUFFER_TOO_SMALL;
        auto* dropped = static_cast<KSPROPERTY_DROPPEDFRAMES_CURRENT_S*>(info->PropertyInfo);
        dropped->PictureNumber = channel->FrameInfo.PictureNumber;
        dropped->DropCount = channel->FrameInfo.DropCount;
        dropped->AverageFrameSize = format != nullptr ? format->bmiHeader.biSizeImage : 0;
        srb->ActualBytesTransferred = sizeof(KSPROPERTY_DROPPEDFRAMES_CURRENT_S);
        return STATUS_SUCCESS;
    }
    return STATUS_NOT_IMPLEMENTED;
}

NTSTATUS VideoSetFormat(PHW_STREAM_REQUEST_BLOCK srb)
{
    Channel* channel = channelOf(srb);
    auto* format = reinterpret_cast<PKS_DATAFORMAT_VIDEOINFOHEADER>(srb->CommandData.OpenFormat);
    if (format == nullptr || format->DataFormat.FormatSize < sizeof(KS_DATAFORMAT_VIDEOINFOHEADER) ||
        !IsEqualGUID(format->DataFormat.Specifier, KSDATAFORMAT_SPECIFIER_VIDEOINFO) ||
        channel->VideoInfoHeader == nullptr)
        return STATUS_INVALID_PARAMETER;
    RtlCopyMemory(channel->VideoInfoHeader, &format->VideoInfoHeader, sizeof(KS_VIDEOINFOHEADER));
    return STATUS_SUCCESS;
}

}  // namespace qm::morvax
