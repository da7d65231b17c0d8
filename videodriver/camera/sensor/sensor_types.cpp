#include "videodriver/camera/sensor/sensor_types.h"

#include "videodriver/camera/registry_strings.h"
#include "videodriver/camera/settings_key.h"

namespace qm::morvax {

namespace {

ULONG typeOrZero(const MorvaxContext* context, PCWSTR name, ULONG types)
{
    ULONG value = 0;
    if (!NT_SUCCESS(readSettingsDword(context, nullptr, name, &value)))
        return 0;
    return value < types ? value : 0;
}

}  // namespace

ULONG GetCCDType(const MorvaxContext* context) { return typeOrZero(context, registry::kCCDType, kCCDTypes); }

ULONG GetCDSType(const MorvaxContext* context) { return typeOrZero(context, registry::kCDSType, kCDSTypes); }

}  // namespace qm::morvax
