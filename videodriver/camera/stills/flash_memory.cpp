// The flash chip behind the picture store: its device code (1073, after the
// identification command) gives the size of the memory.
#include "videodriver/camera/register_shadow.h"
#include "videodriver/camera/settings_key.h"
#include "videodriver/camera/stills/still_camera.h"
#include "videodriver/properties/registry_values.h"

namespace qm::morvax {

namespace {

constexpr USHORT kFlashIdentification = 0x1072;  // maker code, then device code
// With 2 MB of flash the controller's flash timing (0502) is set to 59.
constexpr USHORT kFlashTiming = 0x0502;
constexpr UCHAR kSmallFlashTiming = 0x59;
constexpr ULONG kUnknownFlashMegabytes = 8;

ULONG flashMegabytes(UCHAR deviceCode)
{
    switch (deviceCode) {
    case 0x64:
    case 0xEA: return 2;
    case 0x6B:
    case 0xE3:
    case 0xE5: return 4;
    case 0xE6: return 8;
    case 0x73: return 16;
    case 0x75: return 32;
    default: return kUnknownFlashMegabytes;
    }
}

}  // namespace

ULONG UpdateFlashMemSize(MorvaxContext* context)
{
    UCHAR identification[2];
    // Without an answer from the chip the size known so far stands.
    if (!DF_FlashReadID(context) || !DF_ReadBytes(context, kFlashIdentification, identification, 2))
        return 0;
    const ULONG megabytes = flashMegabytes(identification[1]);
    if (megabytes == 2)
        DR_SetDefaultRegister(context, kFlashTiming, kSmallFlashTiming);
    context->FlashMemSize = megabytes;
    writeSettingsDword(context, nullptr, registry::kFlashMemSize, megabytes);
    return 1;
}

}  // namespace qm::morvax
