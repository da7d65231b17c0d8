// VideoProcAmp: brightness, contrast, saturation and sharpness as
// published, and hue, gamma and white balance for the driver's own page.
#include "videodriver/properties/property_request.h"
#include "videodriver/properties/setting_changes.h"

namespace qm::morvax {

NTSTATUS getVideoProcAmp(MorvaxContext* context, PropertyRequest& request)
{
    switch (request.id()) {
    case KSPROPERTY_VIDEOPROCAMP_BRIGHTNESS: return answerValue(request, LONG(context->Brightness));
    case KSPROPERTY_VIDEOPROCAMP_CONTRAST: return answerValue(request, LONG(context->Contrast));
    case KSPROPERTY_VIDEOPROCAMP_HUE: return answerValue(request, LONG(context->Hue));
    case KSPROPERTY_VIDEOPROCAMP_SATURATION: return answerValue(request, LONG(context->Saturation));
    case KSPROPERTY_VIDEOPROCAMP_SHARPNESS: return answerValue(request, LONG(context->Sharpness));
    case KSPROPERTY_VIDEOPROCAMP_GAMMA: return answerValue(request, LONG(context->GammaIndex));
    case KSPROPERTY_VIDEOPROCAMP_WHITEBALANCE: return answerValue(request, LONG(context->AWBEnable));
    default: return STATUS_NOT_SUPPORTED;
    }
}

NTSTATUS setVideoProcAmp(MorvaxContext* context, PropertyRequest& request)
{
    LONG value = 0;
    if (!requestedValue(request, value))
        return STATUS_BUFFER_TOO_SMALL;
    switch (request.id()) {
    case KSPROPERTY_VIDEOPROCAMP_BRIGHTNESS: return changeBrightness(context, value);
    case KSPROPERTY_VIDEOPROCAMP_CONTRAST: return changeContrast(context, value);
    case KSPROPERTY_VIDEOPROCAMP_HUE: return changeHue(context, value);
    case KSPROPERTY_VIDEOPROCAMP_SATURATION: return changeSaturation(context, value);
    case KSPROPERTY_VIDEOPROCAMP_SHARPNESS: return changeSharpness(context, value);
    case KSPROPERTY_VIDEOPROCAMP_GAMMA: return changeGamma(context, value);
    case KSPROPERTY_VIDEOPROCAMP_WHITEBALANCE: return changeAWBEnable(context, value, true);
    default: return STATUS_SUCCESS;  // unknown ids are ignored
    }
}

}  // namespace qm::morvax
