// The controller's serial bus to the sensor: 0B00 takes the bus command,
// 101D the payload (device, register and value, each followed by 00).
#include "videodriver/camera/device_functions.h"
#include "videodriver/camera/register_shadow.h"

namespace qm::morvax {

namespace {

constexpr USHORT kSerialCommand = 0x0B00;
constexpr USHORT kFrontEndData = 0x101D;
constexpr UCHAR kI2cCommand[] = {0xFB, 0x13, 0x02};
constexpr UCHAR kCmosSensor = 0x55;
constexpr LONGLONG kCmosSettle100ns = -300LL * 10000;  // 300 ms, relative

constexpr USHORT kSifEnableLow = 0x0415;
constexpr USHORT kSifEnableHigh = 0x0416;
constexpr UCHAR kSifEnableField = bitField(1, 1);

}  // namespace

UCHAR GetReverse(UCHAR value)
{
    UCHAR reversed = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (value & (1u << bit))
            reversed = UCHAR(reversed | (0x80u >> bit));
    return reversed;
}

ULONG DF_WriteI2CRegister(MorvaxContext* context, UCHAR device, UCHAR address, UCHAR value)
{
    for (ULONG i = 0; i < sizeof kI2cCommand; ++i)
        DR_SetRegister(USHORT(kSerialCommand + i), kI2cCommand[i]);
    if (!NT_SUCCESS(DR_WriteRegister(context, kSerialCommand, sizeof kI2cCommand)))
        return 0;
    const UCHAR payload[] = {0x00, 0x02, device, 0x00, address, 0x00, value, 0x00};
    return DF_WriteBytes(context, kFrontEndData, payload, sizeof payload);
}

ULONG DF_NSCCmosI2CWrite(MorvaxContext* context, UCHAR address, UCHAR value, BOOLEAN wait)
{
    const ULONG written = DF_WriteI2CRegister(context, kCmosSensor, GetReverse(address), GetReverse(value));
    if (written && wait) {
        LARGE_INTEGER interval;
        interval.QuadPart = kCmosSettle100ns;
        KeDelayExecutionThread(KernelMode, FALSE, &interval);
    }
    return written;
}

ULONG DF_EnableSifI2C(MorvaxContext* context)
{
    DR_SetBits(kSifEnableHigh, kSifEnableField, 1);
    DR_SetBits(kSifEnableLow, kSifEnableField, 1);
    return NT_SUCCESS(DR_WriteRegister(context, kSifEnableLow, 2)) ? 1 : 0;
}

}  // namespace qm::morvax
