// CameraControl with the driver's private ids: the still-camera functions
// (101-114) and the picture, exposure and white-balance settings (201-216).
#include "videodriver/camera/device_functions.h"
#include "videodriver/camera/stills/command_interface.h"
#include "videodriver/camera/stills/still_camera.h"
#include "videodriver/properties/morvax_properties.h"
#include "videodriver/properties/property_request.h"
#include "videodriver/properties/register_access.h"
#include "videodriver/properties/setting_changes.h"

namespace qm::morvax {

namespace {

NTSTATUS deviceResult(ULONG done) { return done ? STATUS_SUCCESS : STATUS_IO_DEVICE_ERROR; }

NTSTATUS countAnswer(PropertyRequest& request, ULONG done, ULONG count)
{
    return done ? answerValue(request, LONG(count)) : STATUS_IO_DEVICE_ERROR;
}

}  // namespace

NTSTATUS getCameraControl(MorvaxContext* context, PropertyRequest& request)
{
    switch (request.id()) {
    case kCamSelectRegister:
        return STATUS_SUCCESS;  // nothing to report
    case kCamRegister:
        return getSelectedRegister(context, request);
    case kCamDeletePicture:
    case kCamReady:
        return answerValue(request, LONG(DF_QueryREGMSTR(context)));
    case kCamPictureCount: {
        const ULONG done = DF_GetTotalPictures(context);
        return countAnswer(request, done, context->PictureCount);
    }
    case kCamTakePicture:
        return answerValue(request, LONG(DF_PollingREGMSTR(context)));
    case kCamStatus: {
        UCHAR status = 0;
        const ULONG done = DF_GetDSCStatus(context, &status);
        return countAnswer(request, done, status);
    }
    case kCamFreePictures: {
        ULONG free = 0;
        const ULONG done = DF_GetFreePictures(context, &free);
        return countAnswer(request, done, free);
    }
    case kCamFirmwareVersion: {
        const ULONG version = DF_GetFwVersion(context);
        return version != 0 ? answerValue(request, LONG(version)) : STATUS_UNSUCCESSFUL;
    }
    case kCamSaturation: return answerValue(request, LONG(context->Saturation));
    case kCamContrast: return answerValue(request, LONG(context->Contrast));
    case kCamSharpness: return answerValue(request, LONG(context->Sharpness));
    case kCamGamma: return answerValue(request, LONG(context->GammaIndex));
    case kCamAWBEnable: return answerValue(request, LONG(context->AWBEnable));
    case kCamRedGain: return answerValue(request, LONG(context->RedGain));
    case kCamGreenGain: return answerValue(request, LONG(context->GreenGain));
    case kCamBlueGain: return answerValue(request, LONG(context->BlueGain));
    case kCamAEEnable: return answerValue(request, LONG(context->AEEnable));
    case kCamBrightness: return answerValue(request, LONG(context->Brightness));
    case kCamLightSource: return answerValue(request, LONG(context->LightSource));
    case kCamFlickerless: return answerValue(request, LONG(context->Flickerless));
    case kCamVendorId: return answerValue(request, LONG(context->VendorId));
    case kCamProductId: return answerValue(request, LONG(context->ProductId));
    default:
        // Also the set-only ids, among them colour temperature and AGC.
        return STATUS_NOT_SUPPORTED;
    }
}

NTSTATUS setCameraControl(MorvaxContext* context, PropertyRequest& request)
{
    LONG value = 0;
    if (!requestedValue(request, value))
        return STATUS_BUFFER_TOO_SMALL;
    switch (request.id()) {
    case kCamSelectRegister:
        return selectRegister(request);
    case kCamRegister:
        return setSelectedRegister(context, request);
    case kCamDeletePicture:
        if (value < 1 || ULONG(value) > largestCommandNumber(context))
            return STATUS_INVALID_PARAMETER;
        return deviceResult(DF_FlashDeletePic(context, ULONG(value)));
    case kCamDownloadMode:
        setPictureDownloadMode(context, value != 0);
        return STATUS_SUCCESS;
    case kCamDownloadPicture:
        if (value < 0)
            return STATUS_INVALID_PARAMETER;
        selectPicture(context, ULONG(value));
        return STATUS_SUCCESS;
    case kCamTakePicture:
        return deviceResult(DF_TakeSnapshot(context));
    case kCamStatus:
        return deviceResult(DF_SetDSCStatus(context, UCHAR(value)));
    case kCamStillMode:
        return deviceResult(DF_SetDSCMode(context));
    case kCamSaturation: return changeSaturation(context, value);
    case kCamContrast: return changeContrast(context, value);
    case kCamSharpness: return changeSharpness(context, value);
    case kCamGamma: return changeGamma(context, value);
    case kCamAWBEnable: return changeAWBEnable(context, value, false);
    case kCamRedGain: return changeRedGain(context, value);
    case kCamGreenGain: return changeGreenGain(context, value);
    case kCamBlueGain: return changeBlueGain(context, value);
    case kCamAEEnable: return changeAEEnable(context, value);
    case kCamBrightness: return changeBrightness(context, value);
    case kCamLightSource: return changeLightSource(context, value);
    case kCamColorTemperature: return deviceResult(DF_SetColorTemperature(context));
    case kCamFlickerless: return changeFlickerless(context, value);
    case kCamAGCEnable: return changeAGCEnable(context, value);
    default:
        return STATUS_SUCCESS;  // the firmware version and read-only ids: ignored
    }
}

}  // namespace qm::morvax
