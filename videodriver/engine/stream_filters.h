// The camera layer's stream filters. At open the camera layer puts its
// data and control filters into the stream object's handler fields; the
// engine saves them in the channel, installs its own handlers and runs the
// camera's filter first for every request. The engine hands a request to
// a filter with the status STATUS_PENDING; a filter claims the request by
// giving it another status, and the engine then completes it.
#pragma once

#include "videodriver/engine/driver_platform.h"

namespace qm::morvax {

using PCAM_PACKET_FILTER = PHW_RECEIVE_STREAM_DATA_SRB;

// TRUE when the filter claimed the request.
inline BOOLEAN runCameraFilter(PCAM_PACKET_FILTER filter, PHW_STREAM_REQUEST_BLOCK srb)
{
    if (filter == nullptr)
        return FALSE;
    srb->Status = STATUS_PENDING;
    filter(srb);
    return srb->Status != STATUS_PENDING;
}

}  // namespace qm::morvax
