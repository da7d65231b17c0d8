#include "videodriver/camera/morvax_callbacks.h"

namespace qm::morvax {

const CameraCallbacks MorvaxCallbacks = {
    kCameraCallbacksSignature,
    MORVAX_Initialize,
    MORVAX_UnInitialize,
    MORVAX_ProcessUSBPacket,
    MORVAX_NewVideoFrame,
    MORVAX_ProcessRawVideoFrame,
    MORVAX_StartCapture,
    MORVAX_StopCapture,
    MORVAX_Configure,
    MORVAX_SaveState,
    MORVAX_RestoreState,
    MORVAX_AllocateBandwidth,
    MORVAX_FreeBandwidth,
};

}  // namespace qm::morvax
