// Recovery from stalled or failed transfers: a read that times out while
// the stream runs starts a pipe reset in a work item; the 250 ms time-out
// routine tells stop and reset requests when both transfers are idle.
#pragma once

#include "videodriver/engine/channel.h"

namespace qm::morvax {

// The stream class's time-out handler for a request.
VOID AdapterTimeoutPacket(PHW_STREAM_REQUEST_BLOCK srb);

// Queues one reset work item unless a reset is already pending.
void USBCAMD_ProcessResetRequest(DeviceExtension* deviceExtension, Channel* channel);
NTSTATUS USBCAMD_ResetChannel(DeviceExtension* deviceExtension, Channel* channel);
void USBCAMD_ChannelTimeoutDPC(PKDPC dpc, PVOID context, PVOID systemArgument1, PVOID systemArgument2);

// A closing channel takes no new reset requests.
void preventResets(DeviceExtension* deviceExtension, Channel* channel);

}  // namespace qm::morvax
