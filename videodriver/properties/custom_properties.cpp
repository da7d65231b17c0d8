// The driver's own property set: register access, the camera-mode flag,
// the software snapshot and the flash chip's identification commands.
#include "videodriver/camera/stills/still_camera.h"
#include "videodriver/properties/morvax_properties.h"
#include "videodriver/properties/property_request.h"
#include "videodriver/properties/register_access.h"

namespace qm::morvax {

namespace {

NTSTATUS saveSnapshot(MorvaxContext* context, PropertyRequest& request)
{
    SnapshotBitmapRequest bitmap{};
    if (!request.value(bitmap))
        return STATUS_BUFFER_TOO_SMALL;
    // The caller's buffer travels as an address and a size; nothing is
    // written unless all of the bitmap fits.
    auto* destination = reinterpret_cast<PUCHAR>(static_cast<uintptr_t>(bitmap.Address));
    ULONG written = 0;
    const NTSTATUS status = SaveSWSnapshot(context, destination, bitmap.BufferSize, &written);
    bitmap.BytesWritten = written;
    request.answer(bitmap);
    return status;
}

}  // namespace

NTSTATUS getCustomProperty(MorvaxContext* context, PropertyRequest& request)
{
    switch (request.id()) {
    case kCustomSelectRegister: return STATUS_SUCCESS;  // nothing to report
    case kCustomRegister: return getSelectedRegister(context, request);
    case kCustomCameraMode: return answerValue(request, context->CameraMode);
    case kCustomSnapshot: return answerValue(request, context->SoftwareSnapshot ? 0 : 1);
    case kCustomFlashWriteId: return answerValue(request, LONG(DF_FlashWriteID(context)));
    case kCustomFlashReadId: return answerValue(request, LONG(DF_FlashReadID(context)));
    default: return STATUS_NOT_SUPPORTED;
    }
}

NTSTATUS setCustomProperty(MorvaxContext* context, PropertyRequest& request)
{
    if (request.id() == kCustomSnapshotBitmap)
        return saveSnapshot(context, request);
    LONG value = 0;
    if (!requestedValue(request, value))
        return STATUS_BUFFER_TOO_SMALL;
    switch (request.id()) {
    case kCustomSelectRegister: return selectRegister(request);
    case kCustomRegister: return setSelectedRegister(context, request);
    case kCustomCameraMode:
        context->CameraMode = UCHAR(value);
        return STATUS_SUCCESS;
    case kCustomSnapshot: return requestSoftwareSnapshot(context);
    case kCustomFlashWriteId: return DF_FlashWriteID(context) ? STATUS_SUCCESS : STATUS_IO_DEVICE_ERROR;
    case kCustomFlashReadId: return DF_FlashReadID(context) ? STATUS_SUCCESS : STATUS_IO_DEVICE_ERROR;
    default: return STATUS_SUCCESS;
    }
}

}  // namespace qm::morvax
