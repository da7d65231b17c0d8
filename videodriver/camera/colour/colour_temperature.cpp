// Colour temperatures and AWB bounds per light source (office, home,
// outdoors), kept in the registry.
#include "videodriver/camera/colour/white_balance_sums.h"
#include "videodriver/camera/device_functions.h"
#include "videodriver/camera/registry_strings.h"
#include "videodriver/camera/settings_key.h"

namespace qm::morvax {

namespace {

ULONG currentSource(const MorvaxContext* context)
{
    return context->LightSource < kLightSources ? context->LightSource : 0;
}

// A sum as a factor of the green sum, in sixteenths, rounded.
ULONG factorOf(ULONG sum, ULONG green) { return ULONG(((ULONGLONG(sum) * 32 / green) + 1) >> 1); }

}  // namespace

ULONG DF_SetColorTemperature(MorvaxContext* context)
{
    WhiteBalanceSums sums;
    // Without green in the window there is no white point to keep.
    if (!readWhiteBalanceSums(context, sums) || sums.green == 0)
        return 0;
    const ULONG red = factorOf(sums.red, sums.green);
    const ULONG blue = factorOf(sums.blue, sums.green);
    const ULONG source = currentSource(context);
    context->ColorTemperature[source] = (red & 0xFFFF) << 16 | (blue & 0xFFFF);

    const WCHAR* const* names = registry::kStoredGains[source];
    return NT_SUCCESS(writeSettingsDword(context, registry::kDefaultSubkey, names[0], context->RedGain)) &&
                   NT_SUCCESS(writeSettingsDword(context, registry::kDefaultSubkey, names[1], context->GreenGain)) &&
                   NT_SUCCESS(writeSettingsDword(context, registry::kDefaultSubkey, names[2], context->BlueGain))
               ? 1
               : 0;
}

VOID GetAWBBound(MorvaxContext* context)
{
    ULONG* bounds[] = {&context->AWBRedUpperBound, &context->AWBRedLowerBound, &context->AWBBlueUpperBound,
                       &context->AWBBlueLowerBound};
    HANDLE key = nullptr;
    if (!NT_SUCCESS(openSettingsKey(context, nullptr, &key))) {
        // No settings at all: the gains may go anywhere.
        const ULONG open[] = {63, 1, 63, 1};
        for (ULONG i = 0; i < 4; ++i)
            *bounds[i] = open[i];
        return;
    }
    const WCHAR* const* names = registry::kAWBBounds[currentSource(context)];
    for (ULONG i = 0; i < 4; ++i) {
        ULONG value = 0;
        if (NT_SUCCESS(queryDword(key, names[i], &value)))
            *bounds[i] = value;
    }
    ZwClose(key);
}

}  // namespace qm::morvax
