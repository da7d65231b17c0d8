// Flicker suppression: sensor timings that make the exposure a whole number
// of mains half-cycles, by sensor and front end.
#include <initializer_list>

#include "videodriver/camera/device_functions.h"
#include "videodriver/camera/register_shadow.h"
#include "videodriver/camera/sensor/sensor_types.h"

namespace qm::morvax {

namespace {

// Consecutive registers from `first`, set in the shadow and written at once.
bool writeRun(MorvaxContext* context, USHORT first, std::initializer_list<UCHAR> values)
{
    USHORT address = first;
    for (UCHAR value : values)
        DR_SetRegister(address++, value);
    return NT_SUCCESS(DR_WriteRegister(context, first, ULONG(values.size())));
}

}  // namespace

ULONG DF_SetFlickerlessReg(MorvaxContext* context)
{
    if (context->CDSType == kCdsTasc)
        return writeRun(context, 0x040A, {0x84});
    switch (context->CCDType) {
    case 0:
    case 1:
        if (context->CDSType == kCdsHitachi49323)
            return writeRun(context, 0x0903, {0x92, 0x03});
        return writeRun(context, 0x1000, {UCHAR(0xAC | (context->CCDType == 0 ? 1 : 0))}) &&
               writeRun(context, 0x0903, {0x92, 0x03}) && writeRun(context, 0x091D, {0xF2, 0x00, 0x24, 0x07}) &&
               writeRun(context, 0x097B, {0xCF, 0x00}) && writeRun(context, 0x108D, {0x07});
    case 2:
        return writeRun(context, 0x0903, {0x94, 0x03}) && writeRun(context, 0x091D, {0x0A, 0x01, 0x28, 0x07}) &&
               writeRun(context, 0x097B, {0xE0, 0x00}) && writeRun(context, 0x108D, {0x00}) &&
               writeRun(context, 0x0909, {0x1E, 0x00, 0x0C, 0x02}) && writeRun(context, 0x0991, {0x0B, 0x02}) &&
               writeRun(context, 0x1000, {0xAF});
    default:
        return 1;  // the CMOS sensor needs nothing
    }
}

}  // namespace qm::morvax
