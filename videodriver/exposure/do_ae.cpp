#include "videodriver/camera/sensor/sensor_types.h"
#include "videodriver/exposure/ae_strategies.h"
#include "videodriver/exposure/auto_exposure.h"
#include "videodriver/exposure/exposure_globals.h"

namespace qm::morvax {

ExposureGlobals g_exposure{};

LONG brightnessTarget(const MorvaxContext* context)
{
    const LONG span = LONG(context->BrightnessMax) - LONG(context->BrightnessMin) + 1;
    return span * LONG(context->Brightness) / 64 + LONG(context->BrightnessMin);
}

ULONG doAE(MorvaxContext* context)
{
    if (!context->AEActive)
        return 0;
    ULONG luminance = 0;
    // A frame whose grid could not be read tells nothing about the scene.
    if (!getLumAverage(context, &luminance))
        return 0;
    g_exposure.LastLuminance = LONG(luminance);
    LONG& average = g_exposure.RunningLuminance;
    average = average + ((LONG(luminance) + 2) >> 2) - ((average + 2) >> 2);

    if (++context->AEFrameCounter < context->AERate)
        return 0;
    context->AEFrameCounter = 0;
    context->LuminanceAverage = ULONG(average);
    const LONG error = average - brightnessTarget(context);

    if (context->CCDType == kCcdCmos)
        return AE_NSC(context, error);
    switch (context->CDSType) {
    case kCdsTasc: return AE_Tasc(context, error);
    case kCdsToshiba: return AE_Toshiba(context, error);
    case kCdsElecvision: return AE_Elecvision(context, error);
    default: return AE_New(context, error);
    }
}

}  // namespace qm::morvax
