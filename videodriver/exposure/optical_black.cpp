// The camera measures its black level on masked sensor lines (0810) and
// subtracts whatever offset the driver gives it back (0973).
#include "videodriver/camera/register_shadow.h"
#include "videodriver/camera/sensor/sensor_types.h"
#include "videodriver/exposure/auto_exposure.h"
#include "videodriver/exposure/exposure_registers.h"

namespace qm::morvax {

namespace {

constexpr USHORT kOpticalBlackOffset = 0x0973;
// On the Tasc front end light leaking into the black lines reads above
// this; the level then comes from the gain in use instead.
constexpr UCHAR kTascLeakLevel = 120;
constexpr UCHAR kTascBlackByGain[] = {24, 23, 28, 34, 45, 55, 85};
constexpr LONG kTascGains = LONG(sizeof(kTascBlackByGain));

}  // namespace

VOID AdjustOBOffset(MorvaxContext* context)
{
    UCHAR level = 0;
    if (!DF_ReadRegister(context, kOpticalBlackLevelRegister, &level))
        return;
    if (context->CDSType == kCdsTasc && level > kTascLeakLevel) {
        const LONG gain = context->Gain < 0 ? 0 : (context->Gain >= kTascGains ? kTascGains - 1 : context->Gain);
        level = kTascBlackByGain[gain];
    }
    DF_WriteRegister(context, kOpticalBlackOffset, level);
}

}  // namespace qm::morvax
