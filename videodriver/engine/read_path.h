// Read requests: queueing, the hand-over of a finished frame to the
// conversion work item, completion with presentation times and frame
// numbers, and cancellation.
#pragma once

#include "videodriver/engine/channel.h"

namespace qm::morvax {

// The stream object's data handler.
VOID USBCAMD_ReceiveDataPacket(PHW_STREAM_REQUEST_BLOCK srb);
NTSTATUS USBCAMD_ReadChannel(Channel* channel, PHW_STREAM_REQUEST_BLOCK srb);

// A frame has arrived in the read's raw buffer: convert it at passive level.
void USBCAMD_CompleteReadRequest(Channel* channel, ReadRequest* read);
// Completes a read with its presentation time and frame information and
// frees its raw buffer.
void USBCAMD_CompleteRead(Channel* channel, ReadRequest* read, NTSTATUS status, ULONG bytesTransferred);
// Completes the current read and every pending read with `status`.
void completeAllReads(Channel* channel, NTSTATUS status);

// The stream class's cancel routine.
VOID AdapterCancelPacket(PHW_STREAM_REQUEST_BLOCK srb);

// The stream time of the channel's master clock, or 0 without one.
LONGLONG channelStreamTime(Channel* channel, BOOLEAN* valid);

// The channel of a stream request, or null.
Channel* channelOf(PHW_STREAM_REQUEST_BLOCK srb);
inline ReadRequest* readRequestOf(PHW_STREAM_REQUEST_BLOCK srb)
{
    return static_cast<ReadRequest*>(srb->SRBExtension);
}
inline DeviceExtension* deviceExtensionOf(PHW_STREAM_REQUEST_BLOCK srb)
{
    return static_cast<DeviceExtension*>(srb->HwDeviceExtension);
}

void completeStreamRequest(PHW_STREAM_REQUEST_BLOCK srb);

}  // namespace qm::morvax

namespace qm::morvax {

// Waits until no frame conversion of the channel is queued or running.
void waitForConversions(Channel* channel);

}  // namespace qm::morvax
