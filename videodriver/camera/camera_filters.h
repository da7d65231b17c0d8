// The camera layer's stream filters, run in front of the engine's handlers.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

// Gives every read its time-out; claims nothing.
VOID MORVAX_ReceiveDataPacket(PHW_STREAM_REQUEST_BLOCK srb);
// Claims the data-format requests, which the camera does not support.
VOID MORVAX_ReceiveCtrlPacket(PHW_STREAM_REQUEST_BLOCK srb);

// Seconds a read may wait for its frame before the stall recovery starts.
inline constexpr ULONG kReadTimeoutSeconds = 5;

}  // namespace qm::morvax
