#include "videodriver/camera/sensor/camera_settings.h"

#include "videodriver/camera/register_shadow.h"
#include "videodriver/camera/registry_strings.h"
#include "videodriver/camera/sensor/sensor_types.h"
#include "videodriver/camera/settings_key.h"

namespace qm::morvax {

namespace {

constexpr ULONG kLargestToneCeiling = 255;

ULONG settingOr(const MorvaxContext* context, PCWSTR name, ULONG fallback)
{
    ULONG value = 0;
    return NT_SUCCESS(readSettingsDword(context, nullptr, name, &value)) ? value : fallback;
}

// The GPIO lines of the controller are not wired on this camera.
ULONG DR_GetGPIO(MorvaxContext*) { return 0; }

}  // namespace

VOID loadCameraSettings(MorvaxContext* context)
{
    context->CCDType = GetCCDType(context);
    context->CDSType = GetCDSType(context);
    DR_SetDefaultRegTable(context);
    context->GPIOState = DR_GetGPIO(context);
    const ULONG ceiling = settingOr(context, registry::kRGBUpperBound, 0);
    context->RGBUpperBound = ceiling > kLargestToneCeiling ? kLargestToneCeiling : ceiling;
    const ULONG defaultFormat = settingOr(context, registry::kDefaultVidFormat, kSize320x240);
    context->DefaultVidFormat = defaultFormat < kSizeCount ? defaultFormat : kSize640x480;
    writeSettingsDword(context, nullptr, registry::kSnapShot, 0);
}

}  // namespace qm::morvax
