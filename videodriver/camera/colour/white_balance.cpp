// Automatic white balance: the red and blue gains move so that the red and
// blue sums meet the green one, scaled by the light source's colour
// temperature, within the light source's bounds and without hunting.
#include "videodriver/camera/colour/white_balance_sums.h"
#include "videodriver/camera/device_functions.h"
#include "videodriver/camera/register_shadow.h"
#include "videodriver/camera/sensor/sensor_types.h"

namespace qm::morvax {

namespace {

constexpr USHORT kRedGain = 0x100B;  // then blue (100C) and green (100D)
constexpr ULONG kNeutralFactor = 16;
constexpr ULONG kLargestGain = 63;
constexpr ULONGLONG kLargestProduct = 32511;  // gives 63 after the rounding below
// The gains without the gain mode (the CDS type 5 strategy's lowest gain).
constexpr ULONG kFixedRed = 19, kFixedGreen = 16, kFixedBlue = 17;
constexpr ULONG kHistoryLength = 4;

// The gain that moves a sum to the green one: factor x (G x 32 / S) x gain,
// in 512ths, rounded.
ULONG balancedGain(ULONG factor, ULONG green, ULONG sum, ULONG gain)
{
    const ULONGLONG product = ULONGLONG(factor) * (ULONGLONG(green) * 32 / sum) * gain;
    if (product > kLargestProduct)
        return kLargestGain;
    return ULONG(((product >> 8) + 1) >> 1);
}

}  // namespace

UCHAR CheckAWBHunting(UCHAR* history, UCHAR value)
{
    // A gain that swings between two values stays at the newer one.
    if (history[2] == history[0] && history[3] == history[1] && value == history[2])
        return history[3];
    for (ULONG i = 0; i + 1 < kHistoryLength; ++i)
        history[i] = history[i + 1];
    history[kHistoryLength - 1] = value;
    return value;
}

ULONG DF_AdjustWhiteBalance(MorvaxContext* context)
{
    const ULONG source = context->LightSource < kLightSources ? context->LightSource : 0;
    const ULONG temperature = context->ColorTemperature[source];
    const ULONG redFactor = temperature >> 16;
    const ULONG blueFactor = temperature & 0xFFFF;

    WhiteBalanceSums sums;
    if (!readWhiteBalanceSums(context, sums))
        return 0;

    ULONG red = kFixedRed, green = kFixedGreen, blue = kFixedBlue;
    if (context->GainMode) {
        green = context->CDSType == kCdsTasc ? 17 : 16;
        red = 0;
        blue = 0;
        if (sums.red != 0 && sums.green != 0 && sums.blue != 0) {
            red = balancedGain(redFactor, sums.green, sums.red, context->RedGain);
            blue = balancedGain(blueFactor, sums.green, sums.blue, context->BlueGain);
        }
        if (red < context->AWBRedLowerBound)
            red = context->AWBRedLowerBound;
        if (red > context->AWBRedUpperBound)
            red = context->AWBRedUpperBound;
        if (blue < context->AWBBlueLowerBound) {
            blue = context->AWBBlueLowerBound;
        } else {
            // Blue may go a little higher while red stays below green.
            const ULONG ceiling = red >= green ? context->AWBBlueUpperBound : context->AWBBlueUpperBound + 4;
            if (blue > ceiling)
                blue = ceiling;
        }
    }
    red = CheckAWBHunting(context->AWBHistory, UCHAR(red > 0xFF ? 0xFF : red));
    blue = CheckAWBHunting(context->AWBHistory + kHistoryLength, UCHAR(blue > 0xFF ? 0xFF : blue));

    context->RedGain = red;
    context->GreenGain = green;
    context->BlueGain = blue;
    DR_SetRegister(kRedGain, UCHAR(red));
    DR_SetRegister(USHORT(kRedGain + 1), UCHAR(blue));
    DR_SetRegister(USHORT(kRedGain + 2), UCHAR(green));
    return NT_SUCCESS(DR_WriteRegister(context, kRedGain, 3)) ? 1 : 0;
}

}  // namespace qm::morvax
