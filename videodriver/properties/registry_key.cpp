#include "videodriver/properties/registry_key.h"

#include "videodriver/camera/registry_strings.h"

namespace qm::morvax {

namespace {

// Opens (or creates) `name`, absolute or relative to `root`.
NTSTATUS openKey(HANDLE root, PCWSTR name, bool create, PHANDLE key)
{
    UNICODE_STRING keyName;
    RtlInitUnicodeString(&keyName, name);
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &keyName, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, root, nullptr);
    if (create)
        return ZwCreateKey(key, KEY_ALL_ACCESS, &attributes, 0, nullptr, REG_OPTION_NON_VOLATILE, nullptr);
    return ZwOpenKey(key, KEY_ALL_ACCESS, &attributes);
}

NTSTATUS createUnder(HANDLE parent, PCWSTR subkey, PCWSTR defaultValue)
{
    HANDLE key = nullptr;
    NTSTATUS status = openKey(parent, subkey, true, &key);
    if (!NT_SUCCESS(status))
        return status;
    if (defaultValue != nullptr) {
        UNICODE_STRING empty{0, 0, nullptr};
        const ULONG bytes = ULONG((wideLength(defaultValue) + 1) * sizeof(WCHAR));
        status = ZwSetValueKey(key, &empty, 0, REG_SZ, const_cast<PWSTR>(defaultValue), bytes);
    }
    ZwClose(key);
    return status;
}

}  // namespace

NTSTATUS ensureSettingsSubkey(const MorvaxContext* context, PCWSTR subkey)
{
    const PCWSTR settings = context->RegistryPath[0] != 0 ? context->RegistryPath : registry::kDefaultSettingsKey;
    HANDLE parent = nullptr;
    NTSTATUS status = openKey(nullptr, settings, false, &parent);
    if (!NT_SUCCESS(status))
        return status;
    status = createUnder(parent, subkey, nullptr);
    ZwClose(parent);
    return status;
}

NTSTATUS deleteSubkey(PCWSTR parentPath, PCWSTR subkey)
{
    HANDLE parent = nullptr;
    NTSTATUS status = openKey(nullptr, parentPath, false, &parent);
    if (!NT_SUCCESS(status))
        return status;
    HANDLE key = nullptr;
    status = openKey(parent, subkey, false, &key);
    if (NT_SUCCESS(status)) {
        status = ZwDeleteKey(key);
        ZwClose(key);
    }
    ZwClose(parent);
    return status;
}

NTSTATUS createSubkey(PCWSTR parentPath, PCWSTR subkey, PCWSTR defaultValue)
{
    HANDLE parent = nullptr;
    NTSTATUS status = openKey(nullptr, parentPath, false, &parent);
    if (!NT_SUCCESS(status))
        return status;
    status = createUnder(parent, subkey, defaultValue);
    ZwClose(parent);
    return status;
}

}  // namespace qm::morvax
