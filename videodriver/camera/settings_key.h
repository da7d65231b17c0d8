// The camera's settings key in the registry: where it is, and 32-bit values
// read from and written to it (or one of its subkeys). Passive level only.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

// Writes "VID_xxxx&PID_xxxx" for the context's vendor and product ids.
void buildDeviceId(MorvaxContext* context);

// Finds the settings key through the device key's RegistryPathName; without
// it the maker's default key is used. TRUE when the device key named it;
// then ActiveMorvax is written too.
BOOLEAN GetRegistryPath(MorvaxContext* context);

// Opens the settings key (subkey null) or one of its subkeys for reading;
// close the handle with ZwClose.
NTSTATUS openSettingsKey(const MorvaxContext* context, PCWSTR subkey, PHANDLE key);
// A REG_DWORD of an open key.
NTSTATUS queryDword(HANDLE key, PCWSTR name, PULONG value);

// A REG_DWORD of the settings key (subkey null) or of one of its subkeys.
NTSTATUS readSettingsDword(const MorvaxContext* context, PCWSTR subkey, PCWSTR name, PULONG value);
NTSTATUS writeSettingsDword(const MorvaxContext* context, PCWSTR subkey, PCWSTR name, ULONG value);

// Records the identification string as the camera last opened.
NTSTATUS writeActiveMorvax(const MorvaxContext* context);

}  // namespace qm::morvax
