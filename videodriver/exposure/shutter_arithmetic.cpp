#include "videodriver/exposure/shutter_arithmetic.h"

#include "videodriver/camera/sensor/sensor_types.h"

namespace qm::morvax {

namespace {

// The generic sensor model: exposure time T = f + (e - shutter) * c.
struct ShutterConstants {
    LONGLONG c;
    LONGLONG e;
    LONGLONG f;
};

ShutterConstants constantsFor(ULONG ccdType)
{
    switch (ccdType) {
    case 0:
    case kCcdCmos: return {649, 524, 328};
    case 1: return {649, 524, 346};
    case 2: return {649, 524, 582};
    default: return {1393, 249, 659};
    }
}

// The Tasc and Toshiba sensors: 524 lines a frame.
constexpr LONG kFrameLines = 524;
constexpr LONG kFineSteps = 9;  // within this many lines of the end the shutter moves one line at a time

// Outdoors the Elecvision shutter moves by these steps, by |percent| / 16.
constexpr LONG kElecvisionSteps[16] = {1, 22, 40, 56, 72, 86, 98, 108, 114, 118, 118, 118, 118, 118, 118, 118};
constexpr ULONG kOutdoors = 2;
constexpr LONG kElecvisionOutdoorLimit = 522;
constexpr LONG kElecvisionIndoorLimit = 420;
constexpr LONG kElecvisionIndoorStep = 105;

LONG lineShutter(const MorvaxContext* context, LONG percent, bool tasc)
{
    const LONG shutter = context->Shutter;
    const LONG exposed = kFrameLines - shutter;
    if (exposed > kFineSteps) {
        const LONGLONG r = LONGLONG(100 - percent) * exposed * 649 / 64900;
        if (r >= kFrameLines + 1)
            return 0;
        if (r <= 0)
            return kFrameLines - 1;
        return LONG(kFrameLines - r);
    }
    if (percent <= 0) {
        if (tasc && shutter == 522)
            return 520;
        return shutter - 1;
    }
    LONG next = shutter + 1;
    if (tasc && next == 521)
        next = 522;
    if (next == 523)
        next = 522;
    else if (next >= 524)
        next = 523;
    return next;
}

}  // namespace

LONG CalcShutterSpeed(const MorvaxContext* context, LONG percent)
{
    const ShutterConstants k = constantsFor(context->CCDType);
    const LONGLONG t = k.f + (k.e - context->Shutter) * k.c;
    const LONGLONG shorter = (100 * t - percent * (100 * t / 100)) / 100;
    const LONGLONG lines = (shorter - k.f) / k.c;
    return lines < k.e ? LONG(k.e - lines) : 0;
}

LONG CalcShutterSpeed_Tasc(const MorvaxContext* context, LONG percent) { return lineShutter(context, percent, true); }

LONG CalcShutterSpeed_Toshiba(const MorvaxContext* context, LONG percent)
{
    return lineShutter(context, percent, false);
}

LONG CalcShutterSpeed_Elecvision(const MorvaxContext* context, LONG percent)
{
    LONG shutter = context->Shutter;
    if (context->LightSource == kOutdoors) {
        const ULONG magnitude = ULONG(percent < 0 ? -percent : percent);
        const ULONG index = magnitude / 16 < 15 ? magnitude / 16 : 15;
        LONG step = kElecvisionSteps[index];
        if (shutter > 512)
            step = 1;
        else if (shutter > 500)
            step = 2;
        else if (shutter > 400)
            step /= 2;
        if (percent > 0)
            shutter += step;
        else if (percent < 0)
            shutter -= step;
        if (shutter < 0)
            shutter = 0;
        return shutter > kElecvisionOutdoorLimit ? kElecvisionOutdoorLimit : shutter;
    }
    if (percent > 0 && shutter < kElecvisionIndoorLimit)
        shutter += kElecvisionIndoorStep;
    else if (percent < 0 && shutter > 0)
        shutter -= kElecvisionIndoorStep;
    if (shutter < 0)
        shutter = 0;
    return shutter > kElecvisionIndoorLimit ? kElecvisionIndoorLimit : shutter;
}

LONG calcShutterForStrategy(const MorvaxContext* context, LONG percent)
{
    if (context->CCDType == kCcdCmos)
        return CalcShutterSpeed(context, percent);
    switch (context->CDSType) {
    case kCdsTasc: return CalcShutterSpeed_Tasc(context, percent);
    case kCdsToshiba: return CalcShutterSpeed_Toshiba(context, percent);
    case kCdsElecvision: return CalcShutterSpeed_Elecvision(context, percent);
    default: return CalcShutterSpeed(context, percent);
    }
}

}  // namespace qm::morvax
