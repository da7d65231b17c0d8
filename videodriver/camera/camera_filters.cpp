#include "videodriver/camera/camera_filters.h"

#include "videodriver/engine/device_extension.h"

namespace qm::morvax {

namespace {

MorvaxContext* contextOf(PHW_STREAM_REQUEST_BLOCK srb)
{
    return static_cast<MorvaxContext*>(cameraContext(static_cast<DeviceExtension*>(srb->HwDeviceExtension)));
}

}  // namespace

VOID MORVAX_ReceiveDataPacket(PHW_STREAM_REQUEST_BLOCK srb)
{
    // Once a still download failed no more pictures come: its reads wait
    // without a time-out until capture starts again.
    const ULONG timeout = contextOf(srb)->StillDownloadFailed ? 0 : kReadTimeoutSeconds;
    srb->TimeoutOriginal = timeout;
    srb->TimeoutCounter = timeout;
}

VOID MORVAX_ReceiveCtrlPacket(PHW_STREAM_REQUEST_BLOCK srb)
{
    switch (srb->Command) {
    case SRB_PROPOSE_DATA_FORMAT:
    case SRB_SET_DATA_FORMAT:
    case SRB_GET_DATA_FORMAT:
        srb->Status = STATUS_NOT_IMPLEMENTED;
        break;
    default:
        break;
    }
}

}  // namespace qm::morvax
