// Vendor control requests to the device (register access of the camera
// layer). Below dispatch level the request runs at once; at dispatch level
// it is deferred to a system work item and STATUS_PENDING is returned.
#pragma once

#include "videodriver/engine/device_extension.h"

namespace qm::morvax {

using PCOMMAND_COMPLETE_FUNCTION = VOID (*)(PVOID context, PVOID commandContext, NTSTATUS status);

inline constexpr BOOLEAN kHostToDevice = 0;
inline constexpr BOOLEAN kDeviceToHost = 1;

// `bufferLength` gives the bytes to send or the room to receive and gets the
// bytes transferred. Buffer and length must stay valid until the completion
// routine ran when the request is deferred.
NTSTATUS USBCAMD_ControlVendorCommand(PVOID context, UCHAR request, USHORT value, USHORT index, PVOID buffer,
                                      PULONG bufferLength, BOOLEAN direction,
                                      PCOMMAND_COMPLETE_FUNCTION commandComplete, PVOID commandContext);

}  // namespace qm::morvax
