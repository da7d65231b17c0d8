// The loop's start at every video capture: bands by front end (with the
// registry's overrides), gain and shutter ranges, the front end's set-up
// words and the first writes.
#include "videodriver/camera/sensor/sensor_types.h"
#include "videodriver/camera/settings_key.h"
#include "videodriver/exposure/auto_exposure.h"
#include "videodriver/exposure/exposure_globals.h"
#include "videodriver/exposure/exposure_registers.h"
#include "videodriver/properties/registry_values.h"

namespace qm::morvax {

namespace {

constexpr ULONG kInitialLuminance = 100;
constexpr ULONG kUnityYGain = 8;
constexpr LONG kPanasonicStartGain = 60;
constexpr LONG kTascStartGain = 1;
constexpr USHORT kTascStartTarget = 128;

VOID GetAEThreshold(MorvaxContext* context)
{
    ULONG wide = 32;
    ULONG narrow = 8;
    LONG ev = 0;
    switch (context->CDSType) {
    case kCdsHitachi: wide = 16; break;
    case kCdsHitachi49323: narrow = 16; break;
    case kCdsTasc: narrow = 20; ev = 40; break;
    case kCdsToshiba: narrow = 20; ev = 50; break;
    case kCdsElecvision: wide = 40; narrow = 20; break;
    default: break;
    }
    ULONG value = 0;
    if (NT_SUCCESS(readSettingsDword(context, nullptr, registry::kAEThresholdWide, &value)))
        wide = value;
    if (NT_SUCCESS(readSettingsDword(context, nullptr, registry::kAEThresholdNarrow, &value)))
        narrow = value;
    if (NT_SUCCESS(readSettingsDword(context, nullptr, registry::kEv, &value)))
        ev = LONG(value);
    context->AEThresholdWide = wide;
    context->AEThresholdNarrow = narrow;
    context->EvOffset = ev;
}

VOID SetAGCRange(MorvaxContext* context)
{
    context->GainMin = 0;
    context->Gain = 0;
    if (context->CCDType == kCcdCmos) {
        context->GainMax = 63;
        return;
    }
    switch (context->CDSType) {
    case kCdsTasc:
        context->GainMax = 6;
        context->Gain = 5;
        break;
    case kCdsToshiba:
        context->GainMax = 18;
        context->Gain = 10;
        break;
    case kCdsElecvision:
        context->GainMax = 255;
        break;
    default:
        context->GainMax = 220;
        context->GainMin = context->CDSType == kCdsHitachi49323 ? 100 : 20;
        break;
    }
}

VOID SetShutterRange(MorvaxContext* context)
{
    context->Shutter = 0;
    context->SmallStep = 4;
    context->BigStep = (context->CDSType == kCdsTasc || context->CDSType == kCdsToshiba) ? 16 : 32;
}

VOID setUpFrontEnd(MorvaxContext* context)
{
    switch (context->CDSType) {
    case kCdsHitachi: initHitachiAGCGain(context); break;
    case kCdsPanasonic: initPanasonicAGCGain(context); break;
    case kCdsHitachi49323: initHitachi49323AGCGain(context); break;
    default: break;
    }
}

VOID writeFirstGain(MorvaxContext* context)
{
    switch (context->CDSType) {
    case kCdsSharp:
    case kCdsSharpB:
        setSharpAGCGain(context);
        break;
    case kCdsHitachi:
    case kCdsHitachi49323:
        setHitachiAGCGain(context);
        break;
    case kCdsPanasonic:
        context->Gain = kPanasonicStartGain;
        setPanasonicAGCGain(context);
        break;
    case kCdsTasc:
        context->Gain = kTascStartGain;
        context->AETarget = kTascStartTarget;
        SetAGC_Tasc(context);
        break;
    case kCdsToshiba:
        SetAGC_Toshiba(context);
        break;
    default:
        break;
    }
}

}  // namespace

VOID ResetAE(MorvaxContext* context)
{
    context->AEFrameCounter = 0;
    context->AEActive = 1;
    context->LuminanceAverage = kInitialLuminance;
    // The driver-wide state starts over with the camera: the running
    // average from the same neutral value, the frame timing from the
    // default image's (index 0), the CMOS hold count from nothing.
    g_exposure.RunningLuminance = LONG(kInitialLuminance);
    g_exposure.LastLuminance = LONG(kInitialLuminance);
    g_exposure.ElecvisionTiming = 0;
    g_exposure.NscHoldCounter = 0;

    GetAEThreshold(context);
    SetAGCRange(context);
    SetShutterRange(context);
    SetShutter(context);
    setUpFrontEnd(context);
    writeFirstGain(context);
    context->YGain = kUnityYGain;
    SetYGain(context);
}

}  // namespace qm::morvax
