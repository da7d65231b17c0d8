// The Tasc front end's strategy. It works on the ratio of the measured to
// the wanted luminance (32 = on target) and picks the whole exposure at
// once: a total v (lines at Y gain 8) is spread over a few fixed shutter
// lengths, six gain codes of 1.4 times each and the Y gain. A flooded
// sensor (black level above OBLeakMax) switches to back-light mode.
#include "videodriver/camera/register_shadow.h"
#include "videodriver/exposure/ae_strategies.h"
#include "videodriver/exposure/auto_exposure.h"
#include "videodriver/exposure/exposure_globals.h"
#include "videodriver/exposure/exposure_registers.h"

namespace qm::morvax {

namespace {

constexpr USHORT kFrameControl = 0x1000;
constexpr UCHAR kBackLightOffBit = bitField(1, 7);
constexpr USHORT kBackLightCompensation = 0x1031;

constexpr LONG kLongest = 520;  // lines of the longest exposure (shutter 0)
constexpr LONG kTopGain = 5;
constexpr LONG kRatioOnTarget = 32;
constexpr LONG kLeastRatio = 8;
constexpr LONG kMostRatio = 70;
constexpr LONG kBandHalfWidth = 7;
constexpr LONG kShortestGainExposure = 220;  // with gain in use the exposure is at least this
constexpr LONG kGainExposures[] = {520, 395, 270, 220};
constexpr ULONG kMostYGain = 13;
constexpr ULONG kMostYGainAtTop = 32;
constexpr ULONG kLeastYGain = 7;
constexpr LONG kTargetShift = 10;  // the target moves when the gain comes into or out of use

VOID followBackLight(MorvaxContext* context)
{
    UCHAR level = 0;
    if (!DF_ReadRegister(context, kOpticalBlackLevelRegister, &level))
        return;
    if (!context->BackLight && level > context->OBLeakMax) {
        DR_SetBits(kFrameControl, kBackLightOffBit, 0);
        DR_WriteRegister(context, kFrameControl, 1);
        const UCHAR compensation[4] = {0x80, 0x80, 0x80, 0x80};
        writeImageRun(context, kBackLightCompensation, compensation, 4);
        context->BackLight = 1;
        context->AWBFrameCounter = context->AWBRate;
    } else if (context->BackLight && level < context->OBLeakMin) {
        DR_SetBits(kFrameControl, kBackLightOffBit, 1);
        DR_WriteRegister(context, kFrameControl, 1);
        const UCHAR none[4] = {0, 0, 0, 0};
        writeImageRun(context, kBackLightCompensation, none, 4);
        context->BackLight = 0;
    }
}

VOID writeExposure(MorvaxContext* context)
{
    SetFrameRate_Tasc(context);
    SetAGC_Tasc(context);
    SetShutter(context);
    SetYGain(context);
}

}  // namespace

ULONG AE_Tasc(MorvaxContext* context, LONG)
{
    followBackLight(context);
    const LONG target = brightnessTarget(context);
    context->AETarget = USHORT(target);
    SetFrameRate_Tasc(context);
    if (target <= 0)
        return 0;

    LONG ratio = LONG(context->LuminanceAverage) * kRatioOnTarget / target;
    ratio = ratio < kLeastRatio ? kLeastRatio : (ratio > kMostRatio ? kMostRatio : ratio);
    const LONG low = (target - kBandHalfWidth) * kRatioOnTarget / target;
    const LONG high = (target + kBandHalfWidth) * kRatioOnTarget / target;
    if (ratio >= low && ratio <= high) {
        writeExposure(context);
        return 1;
    }
    // The new exposure is worked out from the average in one go: an
    // average still on its way to what the last change did would make it
    // overshoot, and the loop would hunt. It waits for the average.
    const LONG lag = g_exposure.LastLuminance - LONG(context->LuminanceAverage);
    if (lag > kBandHalfWidth || lag < -kBandHalfWidth)
        return 0;
    // Nothing more to give at either end.
    if (ratio < low && context->YGain == kMostYGainAtTop && context->Gain == kTopGain && context->Shutter == 0)
        return 0;
    if (ratio >= kMostRatio && context->Gain == 0 && context->Shutter == kLongest)
        return 0;

    const LONG oldGain = context->Gain;
    LONG v = context->GainMode ? (kLongest - context->Shutter + 1) * LONG(context->YGain) / ratio * 4
                               : (kLongest - context->Shutter + 1) * kRatioOnTarget / ratio;
    if (v <= kLongest) {
        while (v < kShortestGainExposure && context->Gain > 0) {
            --context->Gain;
            v = (14 * v + 14) / 10;
        }
    } else {
        while (v > kLongest && context->Gain < kTopGain) {
            ++context->Gain;
            v = 10 * v / 14;
        }
    }

    if (context->Gain <= 0) {
        context->GainMode = 0;
        context->Shutter = kLongest - (v < kLongest ? v : kLongest);
        context->YGain = ratio > 27 ? 8 : 9;
    } else {
        context->GainMode = 1;
        LONG lines = kGainExposures[3];
        for (const LONG candidate : kGainExposures)
            if (v >= candidate) {
                lines = candidate;
                break;
            }
        context->Shutter = kLongest - lines;
        ULONG yGain = ULONG((8 * v + 12) / lines);
        const ULONG most = (context->Gain == kTopGain && lines == kLongest) ? kMostYGainAtTop : kMostYGain;
        yGain = yGain > most ? most : yGain;
        context->YGain = yGain < kLeastYGain ? kLeastYGain : yGain;
    }
    if (oldGain <= 0 && context->Gain > 0)
        context->AETarget = USHORT(context->AETarget + kTargetShift);
    else if (oldGain > 0 && context->Gain <= 0)
        context->AETarget = USHORT(context->AETarget - kTargetShift);

    writeExposure(context);
    return 0;
}

ULONG SetFrameRate_Tasc(MorvaxContext* context)
{
    // 0903-0904 and 0991-0992 by gain.
    UCHAR timing[2];
    UCHAR lines[2];
    const LONG gain = context->Gain;
    if (gain >= 0 && gain <= 1) {
        timing[0] = 0xF9, timing[1] = 0x02, lines[0] = 0x0C, lines[1] = 0x02;
    } else if (gain >= 2 && gain <= 3) {
        timing[0] = 0xF9, timing[1] = 0x02, lines[0] = 0x13, lines[1] = 0x03;
    } else if (gain == 4) {
        timing[0] = 0xE9, timing[1] = 0x03, lines[0] = 0x1E, lines[1] = 0x03;
    } else {
        timing[0] = 0xFB, timing[1] = 0x03, lines[0] = 0xD3, lines[1] = 0x03;
    }
    const ULONG first = writeImageRun(context, 0x0903, timing, 2);
    return writeImageRun(context, 0x0991, lines, 2) & first;
}

}  // namespace qm::morvax
