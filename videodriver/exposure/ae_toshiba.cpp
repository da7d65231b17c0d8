// The Toshiba front end's strategy: the shutter does the work while the
// gain is low; once the gain is in use the shutter keeps to three fixed
// lengths and the gain (19 codes) moves instead. The tone curve follows
// the gain: a brighter curve at the gain's extremes.
#include "videodriver/camera/device_functions.h"
#include "videodriver/exposure/ae_strategies.h"
#include "videodriver/exposure/exposure_registers.h"
#include "videodriver/exposure/shutter_arithmetic.h"

namespace qm::morvax {

namespace {

constexpr ULONG kUnityYGain = 8;
constexpr LONG kTopGainPenalty = 20;   // at full gain the picture may stay this much darker
constexpr LONG kLongestStep = 124;     // shutters up to this snap to the longest exposure
constexpr LONG kMiddleShutter = 125;
constexpr LONG kShortShutter = 260;
constexpr LONG kRaiseGainShutter = 390;
constexpr LONG kShortestShutter = 521;
constexpr ULONG kGammaLowGain = 4;
constexpr ULONG kGammaTopGain = 7;
constexpr ULONG kGammaLeastGain = 5;

VOID setGamma(MorvaxContext* context, ULONG index)
{
    context->GammaIndex = index;
    DF_SetGamma(context);
}

VOID raiseGain(MorvaxContext* context)
{
    if (context->Gain >= context->GainMax)
        return;
    const bool leavingMin = context->Gain == context->GainMin;
    ++context->Gain;
    if (leavingMin)
        setGamma(context, kGammaLowGain);
    if (context->Gain == context->GainMax)
        setGamma(context, kGammaTopGain);
}

VOID lowerGain(MorvaxContext* context)
{
    if (context->Gain <= context->GainMin)
        return;
    const bool leavingMax = context->Gain == context->GainMax;
    --context->Gain;
    if (context->Gain == context->GainMin) {
        setGamma(context, kGammaLeastGain);
        DF_AdjustWhiteBalance(context);
    }
    if (leavingMax)
        setGamma(context, kGammaLowGain);
}

}  // namespace

ULONG AE_Toshiba(MorvaxContext* context, LONG error)
{
    SetFrameRate_Toshiba(context);
    context->YGain = kUnityYGain;
    error -= context->EvOffset;
    if (context->Gain == context->GainMax)
        error -= kTopGainPenalty;

    const ULONG magnitude = ULONG(error < 0 ? -error : error);
    LONG step;
    if (magnitude > context->AEThresholdWide)
        step = LONG(context->BigStep);
    else if (magnitude <= context->AEThresholdNarrow)
        return 1;
    else
        step = LONG(context->SmallStep);

    if (error < 0) {
        if (context->Shutter == 0) {
            if (context->Gain >= context->GainMax)
                return 1;
            raiseGain(context);
        } else {
            LONG shutter = CalcShutterSpeed_Toshiba(context, -step);
            if (context->Gain > context->GainMin)
                shutter = shutter <= kLongestStep ? 0 : (shutter < kShortShutter ? kMiddleShutter : kShortShutter);
            context->Shutter = shutter;
            if (shutter >= kRaiseGainShutter)
                raiseGain(context);
        }
    } else if (context->Gain != context->GainMax && context->Shutter <= kShortestShutter) {
        const LONG shutter = CalcShutterSpeed_Toshiba(context, step);
        if (context->Gain <= context->GainMin)
            context->Shutter = shutter;
        else if (shutter < kMiddleShutter + 1)
            context->Shutter = kMiddleShutter;
        else if (shutter <= kShortShutter)
            context->Shutter = kShortShutter;
        else
            lowerGain(context);
    } else {
        if (context->Gain <= context->GainMin)
            return 1;
        lowerGain(context);
    }
    SetAGC_Toshiba(context);
    SetShutter(context);
    SetYGain(context);
    return 0;
}

ULONG SetFrameRate_Toshiba(MorvaxContext* context)
{
    UCHAR lines[2] = {0x04, 0x03};
    UCHAR timing[2] = {0x09, 0x03};
    if (context->Gain == context->GainMax) {
        timing[0] = 0xE9;
        timing[1] = 0x03;
        lines[0] = 0xE6;
        lines[1] = 0x03;
    } else if (context->Width < 640 || context->Shutter >= 400) {
        lines[0] = 0x0B;
        lines[1] = 0x02;
    }
    const ULONG first = writeImageRun(context, 0x0903, timing, 2);
    return writeImageRun(context, 0x0991, lines, 2) & first;
}

}  // namespace qm::morvax
