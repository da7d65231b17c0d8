// The isochronous stream: two transfers of 32 packets each kept in flight on
// the data pipe and the sync pipe, their completion at dispatch level, and
// the packet-by-packet hand-over of the data to the camera layer.
#pragma once

#include "videodriver/engine/channel.h"

namespace qm::morvax {

NTSTATUS USBCAMD_InitializeIsoTransfer(DeviceExtension* deviceExtension, Channel* channel, ULONG index);
void USBCAMD_FreeIsoTransfer(IsoTransfer* transfer);

// Schedules both transfers from the current frame + 10 (passive level).
NTSTATUS USBCAMD_StartIsoStream(DeviceExtension* deviceExtension, Channel* channel);
NTSTATUS USBCAMD_SubmitIsoTransfer(DeviceExtension* deviceExtension, IsoTransfer* transfer, ULONG startFrame,
                                   BOOLEAN asap);
NTSTATUS USBCAMD_IsoIrp_Complete(PDEVICE_OBJECT deviceObject, PIRP irp, PVOID context);
void USBCAMD_TransferComplete(Channel* channel, IsoTransfer* transfer);

// True when no IRP of the transfer is in flight and no resubmission is
// scheduled (call with the channel's TransferLock held).
inline bool transferIdle(const IsoTransfer& transfer) { return transfer.PendingCount == 0 && !transfer.ResubmitArmed; }

}  // namespace qm::morvax
