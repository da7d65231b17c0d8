#include "videodriver/properties/pnp_log.h"

#include "videodriver/camera/settings_key.h"
#include "videodriver/properties/registry_key.h"
#include "videodriver/properties/registry_values.h"

namespace qm::morvax {

namespace {

constexpr ULONG kLoggedSteps = sizeof(registry::kLogSteps) / sizeof(registry::kLogSteps[0]);

}  // namespace

VOID PnPLog(MorvaxContext* context, ULONG step, ULONG status)
{
    if (step >= kLoggedSteps)
        return;
    // The log lives under the settings key; a camera without one logs nothing.
    if (!NT_SUCCESS(ensureSettingsSubkey(context, registry::kLogSubkey)))
        return;
    writeSettingsDword(context, registry::kLogSubkey, registry::kLogSteps[step], status);
}

}  // namespace qm::morvax
