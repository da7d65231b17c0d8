#include "videodriver/exposure/exposure_registers.h"

#include "videodriver/camera/device_functions.h"
#include "videodriver/camera/register_shadow.h"

namespace qm::morvax {

namespace {

constexpr USHORT kYGainRegister = 0x100E;
constexpr USHORT kShutterRegister = 0x101B;  // low byte; 101C high byte
constexpr USHORT kFrontEndData = 0x101D;
constexpr USHORT kFrontEndSetup = 0x101F;

constexpr UCHAR kHitachiSetup[] = {0x09, 0x20, 0x03, 0x00, 0x02, 0x00};
constexpr UCHAR kHitachi49323Setup[] = {0x01, 0x20, 0x02, 0xE8, 0x03, 0x00};
constexpr UCHAR kPanasonicSetup[] = {0xE0, 0x00, 0x0C, 0x00, 0x52, 0x00};
// The Hitachi 49323 runs from this gain up.
constexpr LONG kHitachi49323LeastGain = 100;

template <ULONG N>
ULONG sendWord(MorvaxContext* context, USHORT address, const UCHAR (&bytes)[N])
{
    return DF_WriteBytes(context, address, bytes, N);
}

LONG clampedGain(MorvaxContext* context)
{
    if (context->Gain > context->GainMax)
        context->Gain = context->GainMax;
    if (context->Gain < context->GainMin)
        context->Gain = context->GainMin;
    return context->Gain;
}

}  // namespace

ULONG writeImageRun(MorvaxContext* context, USHORT first, const UCHAR* values, ULONG count)
{
    for (ULONG i = 0; i < count; ++i)
        DR_SetRegister(USHORT(first + i), values[i]);
    return NT_SUCCESS(DR_WriteRegister(context, first, count)) ? 1 : 0;
}

// The Panasonic chip shifts its word in LSB first, as the serial sensor bus does.
UCHAR BitSwap(UCHAR value) { return GetReverse(value); }

ULONG SetShutter(MorvaxContext* context)
{
    const UCHAR bytes[2] = {UCHAR(context->Shutter & 0xFF), UCHAR((context->Shutter >> 8) & 0xFF)};
    return writeImageRun(context, kShutterRegister, bytes, 2);
}

ULONG SetYGain(MorvaxContext* context)
{
    const UCHAR value = UCHAR(context->YGain);
    return writeImageRun(context, kYGainRegister, &value, 1);
}

ULONG setSharpAGCGain(MorvaxContext* context)
{
    const UCHAR word[] = {0xC0, 0x00, UCHAR(context->Gain), 0x02, 0x00, 0x01};
    return sendWord(context, kFrontEndData, word);
}

ULONG setHitachiAGCGain(MorvaxContext* context)
{
    const ULONG gain = ULONG(context->Gain);
    const UCHAR word[] = {UCHAR((gain << 4) & 0xFF), UCHAR(gain >> 4)};
    return sendWord(context, kFrontEndData, word);
}

ULONG setPanasonicAGCGain(MorvaxContext* context)
{
    const ULONG gain = ULONG(context->Gain);
    const UCHAR word[] = {BitSwap(UCHAR(gain >> 3)), BitSwap(UCHAR((gain << 5) & 0xFF))};
    return sendWord(context, kFrontEndData, word);
}

ULONG SetAGC_Tasc(MorvaxContext* context)
{
    const UCHAR code = UCHAR((~ULONG(clampedGain(context)) << 5) & 0xFF);
    const UCHAR word[] = {0x00, code, 0x00, code, 0x00, code, 0x00, code};
    return sendWord(context, kFrontEndData, word);
}

ULONG SetAGC_Toshiba(MorvaxContext* context)
{
    LONG gain = clampedGain(context);
    if (gain < 0)
        gain = 0;
    if (gain >= LONG(kToshibaGainSteps))
        gain = kToshibaGainSteps - 1;
    const USHORT step = kToshibaGainTable[gain];
    const UCHAR lo = UCHAR(step & 0xFF);
    const UCHAR hi = UCHAR(step >> 8);
    // One 12-bit word per channel, the channel number in the high nibble.
    const UCHAR word[] = {lo, hi, lo, UCHAR(hi | 0x10), lo, UCHAR(hi | 0x20), lo, UCHAR(hi | 0x30)};
    return sendWord(context, kFrontEndData, word);
}

ULONG initHitachiAGCGain(MorvaxContext* context) { return sendWord(context, kFrontEndSetup, kHitachiSetup); }

ULONG initHitachi49323AGCGain(MorvaxContext* context)
{
    if (context->Gain < kHitachi49323LeastGain)
        context->Gain = kHitachi49323LeastGain;
    return sendWord(context, kFrontEndSetup, kHitachi49323Setup);
}

ULONG initPanasonicAGCGain(MorvaxContext* context) { return sendWord(context, kFrontEndData, kPanasonicSetup); }

}  // namespace qm::morvax
