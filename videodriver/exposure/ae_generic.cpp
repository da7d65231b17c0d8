// The generic strategy (Sharp, Hitachi and Panasonic front ends): in the
// dark the shutter opens first, then the front-end gain rises, then the
// digital Y gain; in bright light the same steps are undone in reverse.
#include "videodriver/camera/sensor/sensor_types.h"
#include "videodriver/exposure/ae_strategies.h"
#include "videodriver/exposure/exposure_registers.h"
#include "videodriver/exposure/shutter_arithmetic.h"

namespace qm::morvax {

namespace {

constexpr ULONG kUnityYGain = 8;
constexpr ULONG kYGainStep = 4;
constexpr LONG kBigGainStep = 16;
constexpr LONG kSmallGainStep = 4;
// The shortest shutter: with flickerless on, never shorter than one period
// of the mains light.
constexpr LONG kShortestShutter = 522;
constexpr LONG kShortestFlickerlessShutter = 50;

ULONG writeGain(MorvaxContext* context)
{
    switch (context->CDSType) {
    case kCdsSharp:
    case kCdsSharpB:  // the second Sharp chip takes the same words
        return setSharpAGCGain(context);
    case kCdsHitachi:
    case kCdsHitachi49323:
        return setHitachiAGCGain(context);
    default:
        return setPanasonicAGCGain(context);
    }
}

// Moves the shutter to `shutter`. Near the short end a small step can round
// to no change at all: the shutter then holds the exposure as close as it
// can, which counts as settled (1) rather than as a step that never ends.
ULONG moveShutter(MorvaxContext* context, LONG shutter)
{
    if (shutter == context->Shutter)
        return 1;
    context->Shutter = shutter;
    SetShutter(context);
    return 0;
}

ULONG brighten(MorvaxContext* context, LONG shutterStep, LONG gainStep)
{
    if (context->Shutter > 1) {
        const LONG shutter = CalcShutterSpeed(context, -shutterStep);
        return moveShutter(context, shutter > 0 ? shutter : 0);
    } else if (context->Shutter == 1) {
        // The arithmetic cannot move a shutter of 1; the longest exposure
        // is the one step left.
        context->Shutter = 0;
        SetShutter(context);
    } else if (context->Gain < context->GainMax && context->AGCEnable) {
        const LONG gain = context->Gain + gainStep;
        context->Gain = gain < context->GainMax ? gain : context->GainMax;
        writeGain(context);
    } else {
        const ULONG yGain = context->YGain + kYGainStep;
        context->YGain = yGain < context->YGainCeiling ? yGain : context->YGainCeiling;
        SetYGain(context);
    }
    return 0;
}

ULONG darken(MorvaxContext* context, LONG shutterStep, LONG gainStep)
{
    if (context->YGain > kUnityYGain) {
        const ULONG yGain = context->YGain - kYGainStep;
        context->YGain = (yGain >= 4 && yGain <= 11) ? kUnityYGain : yGain;
        SetYGain(context);
    } else if (context->Gain > context->GainMin && context->AGCEnable) {
        const LONG gain = context->Gain - gainStep;
        context->Gain = gain > context->GainMin ? gain : context->GainMin;
        writeGain(context);
    } else {
        const LONG limit = context->Flickerless ? kShortestFlickerlessShutter : kShortestShutter;
        const LONG shutter = CalcShutterSpeed(context, shutterStep);
        return moveShutter(context, shutter < limit ? shutter : limit);
    }
    return 0;
}

}  // namespace

ULONG AE_New(MorvaxContext* context, LONG error)
{
    const ULONG magnitude = ULONG(error < 0 ? -error : error);
    LONG shutterStep;
    LONG gainStep;
    if (magnitude > context->AEThresholdWide) {
        shutterStep = LONG(context->BigStep);
        gainStep = kBigGainStep;
    } else if (magnitude <= context->AEThresholdNarrow) {
        return 1;
    } else {
        shutterStep = LONG(context->SmallStep);
        gainStep = kSmallGainStep;
    }
    return error < 0 ? brighten(context, shutterStep, gainStep) : darken(context, shutterStep, gainStep);
}

}  // namespace qm::morvax
