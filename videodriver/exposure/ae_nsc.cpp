// The CMOS sensor's strategy: exposure (sensor register 20, lines; 0 is
// the whole frame) and gain (register 25) over the sensor's serial bus.
// Inside the wide band it moves in single steps and holds still after a
// few of them, so that it does not hunt around the target.
#include "videodriver/camera/device_functions.h"
#include "videodriver/exposure/ae_strategies.h"
#include "videodriver/exposure/exposure_globals.h"

namespace qm::morvax {

namespace {

constexpr UCHAR kSensorExposure = 0x20;
constexpr UCHAR kSensorGain = 0x25;
constexpr LONG kFullFrame = 256;  // an exposure of this many lines is the whole frame (0)
constexpr LONG kLongestLines = 255;
constexpr ULONG kHoldSteps = 3;
constexpr LONG kBigGainStep = 4;
constexpr LONG kSmallGainStep = 1;
constexpr LONG kMostLinesAdded = 20;
constexpr LONG kMostLinesTaken = 40;

VOID writeSensor(MorvaxContext* context, UCHAR reg, LONG value)
{
    DF_NSCCmosI2CWrite(context, reg, UCHAR(value), FALSE);
}

}  // namespace

ULONG AE_NSC(MorvaxContext* context, LONG error)
{
    const ULONG magnitude = ULONG(error < 0 ? -error : error);
    ULONG& hold = g_exposure.NscHoldCounter;
    LONG gainStep;
    if (magnitude > context->AEThresholdWide) {
        hold = 0;
        gainStep = kBigGainStep;
    } else if (magnitude <= context->AEThresholdNarrow) {
        hold = 0;
        return 1;
    } else if (hold == kHoldSteps) {
        return 1;
    } else {
        ++hold;
        gainStep = kSmallGainStep;
    }

    LONG& lines = context->Shutter;
    if (error < 0) {
        if (lines > 0 && lines < kFullFrame) {
            // A third more light, at least one line (a third of 1 or 2
            // lines is nothing) and at most 20 lines more.
            LONG longer = lines * 4 / 3;
            if (longer <= lines)
                longer = lines + 1;
            if (longer > lines + kMostLinesAdded)
                longer = lines + kMostLinesAdded;
            lines = longer >= kFullFrame ? 0 : longer;
            writeSensor(context, kSensorExposure, lines);
        } else {
            const LONG gain = context->Gain + gainStep;
            context->Gain = gain < context->GainMax ? gain : context->GainMax;
            writeSensor(context, kSensorGain, context->Gain);
        }
        return 0;
    }
    if (context->Gain > context->GainMin) {
        const LONG gain = context->Gain - gainStep;
        context->Gain = gain > context->GainMin ? gain : context->GainMin;
        writeSensor(context, kSensorGain, context->Gain);
    } else if (lines == 0) {
        lines = kLongestLines;
        writeSensor(context, kSensorExposure, lines);
    } else if (lines >= 2) {
        LONG shorter = lines * 3 / 4;
        if (shorter < lines - kMostLinesTaken)
            shorter = lines - kMostLinesTaken;
        lines = shorter < 1 ? 1 : shorter;
        writeSensor(context, kSensorExposure, lines);
    }
    return 0;
}

}  // namespace qm::morvax
