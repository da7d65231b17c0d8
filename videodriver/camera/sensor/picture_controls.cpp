// Picture controls: each changes its fields in the register shadow and
// writes only those registers.
#include "videodriver/camera/device_functions.h"
#include "videodriver/camera/register_shadow.h"
#include "videodriver/camera/sensor/tone_curves.h"

namespace qm::morvax {

namespace {

constexpr USHORT kToneCurve = 0x1041;
constexpr USHORT kSharpness = 0x1003;
constexpr USHORT kRedGain = 0x100B;
constexpr USHORT kBlueGain = 0x100C;
constexpr USHORT kGreenGain = 0x100D;
constexpr USHORT kYGain = 0x100E;
constexpr USHORT kCbSaturation = 0x100F;
constexpr USHORT kCrSaturation = 0x1010;
constexpr USHORT kAwbWindow = 0x1085;
constexpr ULONG kAwbWindowBytes = 8;

constexpr UCHAR kSharpnessField = bitField(5, 0);
constexpr UCHAR kSaturationEnableField = bitField(1, 6);
constexpr ULONG kLargestSharpness = 31;
constexpr ULONG kLargestHue = 63;
constexpr ULONG kHueCentre = 32;

ULONG done(NTSTATUS status) { return NT_SUCCESS(status) ? 1 : 0; }

UCHAR byteOf(ULONG value) { return UCHAR(value > 0xFF ? 0xFF : value); }

// A ceiling of 0 (no RGBUpperBound in the registry) would turn every point
// of the curve black; it stands for no ceiling.
ULONG toneCeiling(const MorvaxContext* context)
{
    const ULONG bound = context->RGBUpperBound;
    return bound == 0 || bound > 0xFF ? 0xFF : bound;
}

ULONG writeToneCurve(MorvaxContext* context, ULONG curve)
{
    if (curve >= kToneCurveCount)
        curve = kToneCurveCount - 1;
    const ULONG ceiling = toneCeiling(context);
    for (ULONG i = 0; i < kToneCurvePoints; ++i) {
        const ULONG point = context->Contrast * kToneCurves[curve][i] / 32;
        DR_SetRegister(USHORT(kToneCurve + i), UCHAR(point < ceiling ? point : ceiling));
    }
    return done(DR_WriteRegister(context, kToneCurve, kToneCurvePoints));
}

void setLe16(USHORT address, ULONG value)
{
    DR_SetRegister(address, UCHAR(value));
    DR_SetRegister(USHORT(address + 1), UCHAR(value >> 8));
}

}  // namespace

ULONG DF_SetContrast(MorvaxContext* context) { return writeToneCurve(context, context->GammaIndex); }

ULONG DF_SetGamma(MorvaxContext* context)
{
    return writeToneCurve(context, context->ManualGamma ? context->GammaIndex + 8 : context->GammaIndex);
}

ULONG DF_SetSaturation(MorvaxContext* context)
{
    DR_SetBits(kYGain, kSaturationEnableField, 0);
    if (!NT_SUCCESS(DR_WriteRegister(context, kYGain, 1)))
        return 0;
    const UCHAR half = byteOf(context->Saturation / 2);
    DR_SetRegister(kCbSaturation, half);
    DR_SetRegister(kCrSaturation, half);
    return done(DR_WriteRegister(context, kCbSaturation, 2));
}

ULONG DF_SetSharpness(MorvaxContext* context)
{
    const ULONG field = context->Sharpness / 2;
    DR_SetBits(kSharpness, kSharpnessField, field < kLargestSharpness ? field : kLargestSharpness);
    return done(DR_WriteRegister(context, kSharpness, 1));
}

ULONG DF_SetHue(MorvaxContext* context)
{
    const ULONG h = context->Hue < kLargestHue ? context->Hue : kLargestHue;
    const ULONG red = h > kHueCentre ? (h - kHueCentre) * 53 / 32 + 10 : h * 10 / 32;
    const ULONG blue = h > kHueCentre ? (kLargestHue - h) * 22 / 32 : (kHueCentre - h) * 41 / 32 + 22;
    DR_SetRegister(kRedGain, UCHAR(red));
    DR_SetRegister(kBlueGain, UCHAR(blue));
    return done(DR_WriteRegister(context, kRedGain, 2));
}

ULONG DF_SetRedHue(MorvaxContext* context)
{
    DR_SetRegister(kRedGain, byteOf(context->RedGain));
    return done(DR_WriteRegister(context, kRedGain, 1));
}

ULONG DF_SetGreenHue(MorvaxContext* context)
{
    DR_SetRegister(kGreenGain, byteOf(context->GreenGain));
    return done(DR_WriteRegister(context, kGreenGain, 1));
}

ULONG DF_SetBlueHue(MorvaxContext* context)
{
    DR_SetRegister(kBlueGain, byteOf(context->BlueGain));
    return done(DR_WriteRegister(context, kBlueGain, 1));
}

ULONG SetAWBWindow(MorvaxContext* context)
{
    const ULONG w = context->Width;
    const ULONG h = context->Height;
    if (w == 0 || h == 0)
        return 0;
    ULONG xStart = 0, xEnd = w - 1, yStart = 0, yEnd = h - 1;
    switch (context->AWBWindowMode) {
    case 0:  // the middle half
        xStart = w / 4 + 1, xEnd = 3 * w / 4, yStart = h / 4 + 1, yEnd = 3 * h / 4;
        break;
    case 1:  // all but an eighth at each edge
        xStart = w / 8 + 1, xEnd = 7 * w / 8, yStart = h / 8 + 1, yEnd = 7 * h / 8;
        break;
    default:  // the whole frame
        break;
    }
    setLe16(kAwbWindow, xStart);
    setLe16(USHORT(kAwbWindow + 2), xEnd);
    setLe16(USHORT(kAwbWindow + 4), yStart);
    setLe16(USHORT(kAwbWindow + 6), yEnd);
    return done(DR_WriteRegister(context, kAwbWindow, kAwbWindowBytes));
}

}  // namespace qm::morvax
