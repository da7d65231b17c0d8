// MORVAX_AdapterReceivePacket: every adapter request of the stream class,
// shared out between the camera layer and the streaming engine.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

VOID MORVAX_AdapterReceivePacket(PHW_STREAM_REQUEST_BLOCK srb);

// The camera layer's side of SRB_OPEN_STREAM; completes the request.
void MORVAX_OpenStream(PHW_STREAM_REQUEST_BLOCK srb);

// Above this alternate setting the bus grant is too small for frames larger
// than 176 x 144.
inline constexpr ULONG kLargestSmallFrameAlternate = 4;

}  // namespace qm::morvax
