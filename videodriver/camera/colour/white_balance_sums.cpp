#include "videodriver/camera/colour/white_balance_sums.h"

#include "videodriver/camera/register_shadow.h"

namespace qm::morvax {

namespace {

constexpr USHORT kSums = 0x0800;
constexpr ULONG kSumRegisters = 12;

ULONG sumAt(USHORT first)
{
    return ULONG(DR_GetRegister(USHORT(first + 3)) & 0x07) << 24 | ULONG(DR_GetRegister(USHORT(first + 2))) << 16 |
           ULONG(DR_GetRegister(USHORT(first + 1))) << 8 | ULONG(DR_GetRegister(first));
}

}  // namespace

bool readWhiteBalanceSums(MorvaxContext* context, WhiteBalanceSums& sums)
{
    if (!NT_SUCCESS(DR_ReadRegister(context, kSums, kSumRegisters)))
        return false;
    sums.red = sumAt(kSums);
    sums.green = sumAt(kSums + 4);
    sums.blue = sumAt(kSums + 8);
    return true;
}

}  // namespace qm::morvax
