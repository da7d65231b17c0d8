// Keys the power transitions and the progress log create and delete, opened
// with all access and case-insensitive names. Passive level only.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

// Creates `subkey` under the context's settings key unless it is there; fails
// (creating nothing) when the settings key itself is missing.
NTSTATUS ensureSettingsSubkey(const MorvaxContext* context, PCWSTR subkey);

// Under an existing key: deletes a subkey (which has no subkeys of its own),
// or creates one with an optional default value (REG_SZ).
NTSTATUS deleteSubkey(PCWSTR parentPath, PCWSTR subkey);
NTSTATUS createSubkey(PCWSTR parentPath, PCWSTR subkey, PCWSTR defaultValue);

}  // namespace qm::morvax
