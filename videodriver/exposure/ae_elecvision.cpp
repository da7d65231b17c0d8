// The Elecvision front end has no gain word: its strategy moves the
// shutter, the digital Y gain and the sensor frame timing (four steps of
// longer frames for dim rooms).
#include "videodriver/exposure/ae_strategies.h"
#include "videodriver/exposure/exposure_globals.h"
#include "videodriver/exposure/exposure_registers.h"
#include "videodriver/exposure/shutter_arithmetic.h"

namespace qm::morvax {

namespace {

constexpr ULONG kOutdoors = 2;
constexpr ULONG kUnityYGain = 8;
// Indoors the shutter moves in steps of 105 lines and goes no shorter than
// 420; near that end a small error is left alone rather than hunted.
constexpr LONG kIndoorShortest = 420;
constexpr LONG kIndoorNextShortest = 315;
constexpr LONG kOutdoorLimit = 522;
constexpr ULONG kLeastYGain = 7;

constexpr ULONG kTimingSteps = 4;
constexpr UCHAR kFrameLines[kTimingSteps][2] = {{0x0C, 0x02}, {0x13, 0x03}, {0x1E, 0x03}, {0xD3, 0x03}};

ULONG yGainStep(ULONG magnitude)
{
    if (magnitude < 20)
        return 1;
    return magnitude < 50 ? 2 : 4;
}

}  // namespace

ULONG AE_Elecvision(MorvaxContext* context, LONG error)
{
    const ULONG magnitude = ULONG(error < 0 ? -error : error);
    if (magnitude < context->AEThresholdNarrow)
        return 1;
    const ULONG c = yGainStep(magnitude);
    const bool indoors = context->LightSource != kOutdoors;
    if (indoors && magnitude < context->AEThresholdWide &&
        ((error < 0 && context->Shutter == kIndoorShortest) || (error > 0 && context->Shutter == kIndoorNextShortest)))
        return 1;

    if (error < 0) {
        if (context->YGain < kUnityYGain) {
            ++context->YGain;
            SetYGain(context);
        } else if (context->Shutter > 0) {
            context->Shutter = CalcShutterSpeed_Elecvision(context, error);
            SetShutter(context);
        } else if (context->YGain < context->YGainCeiling) {
            const ULONG yGain = context->YGain + c;
            context->YGain = yGain < context->YGainCeiling ? yGain : context->YGainCeiling;
            SetYGain(context);
        } else if (!SetFrameRate_Elecvision(context, TRUE)) {
            return 1;
        }
        return 0;
    }

    if (SetFrameRate_Elecvision(context, FALSE))
        return 0;
    const LONG shortest = indoors ? kIndoorShortest : kOutdoorLimit;
    if (context->YGain > kUnityYGain) {
        // Above unity the Y gain exceeds every step.
        const ULONG yGain = context->YGain - c;
        context->YGain = yGain > kUnityYGain ? yGain : kUnityYGain;
    } else if (context->Shutter < shortest) {
        context->Shutter = CalcShutterSpeed_Elecvision(context, error);
        SetShutter(context);
    } else if (context->YGain < kLeastYGain) {
        return 1;
    } else {
        --context->YGain;
    }
    SetYGain(context);
    return 0;
}

ULONG SetFrameRate_Elecvision(MorvaxContext* context, BOOLEAN darker)
{
    ULONG& k = g_exposure.ElecvisionTiming;
    if (darker) {
        if (k + 1 >= kTimingSteps)
            return 0;
        ++k;
    } else {
        if (k == 0)
            return 0;
        --k;
    }
    writeImageRun(context, 0x0991, kFrameLines[k], 2);
    return 1;
}

}  // namespace qm::morvax
