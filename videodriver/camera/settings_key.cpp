#include "videodriver/camera/settings_key.h"

#include <cstdio>

#include "videodriver/camera/registry_strings.h"

namespace qm::morvax {

namespace {

// Room for a key path: the settings path, a separator and a subkey name.
constexpr ULONG kKeyPathChars = kRegistryPathChars + 32;

// Appends `text` to the terminated string in `buffer`; false when it does not fit.
bool append(WCHAR* buffer, ULONG capacity, PCWSTR text)
{
    ULONG length = ULONG(wideLength(buffer));
    for (; *text != 0; ++text) {
        if (length + 1 >= capacity)
            return false;
        buffer[length++] = *text;
    }
    buffer[length] = 0;
    return true;
}

bool copyString(WCHAR* buffer, ULONG capacity, PCWSTR text)
{
    buffer[0] = 0;
    return append(buffer, capacity, text);
}

bool settingsKeyPath(const MorvaxContext* context, PCWSTR subkey, WCHAR (&path)[kKeyPathChars])
{
    if (!copyString(path, kKeyPathChars, context->RegistryPath[0] != 0 ? context->RegistryPath
                                                                       : registry::kDefaultSettingsKey))
        return false;
    return subkey == nullptr || (append(path, kKeyPathChars, u"\\") && append(path, kKeyPathChars, subkey));
}

// A string value of a key, terminated in `text`; fails when it does not fit.
NTSTATUS queryString(PCWSTR keyPath, PCWSTR name, WCHAR* text, ULONG capacity)
{
    UNICODE_STRING keyName;
    RtlInitUnicodeString(&keyName, keyPath);
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &keyName, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, nullptr, nullptr);
    HANDLE key = nullptr;
    NTSTATUS status = ZwOpenKey(&key, KEY_READ, &attributes);
    if (!NT_SUCCESS(status))
        return status;

    UNICODE_STRING valueName;
    RtlInitUnicodeString(&valueName, name);
    alignas(ULONG) UCHAR buffer[sizeof(KEY_VALUE_PARTIAL_INFORMATION) + kKeyPathChars * sizeof(WCHAR)];
    ULONG resultLength = 0;
    status = ZwQueryValueKey(key, &valueName, KeyValuePartialInformation, buffer, sizeof(buffer), &resultLength);
    ZwClose(key);
    if (!NT_SUCCESS(status))
        return status;
    const auto* info = reinterpret_cast<const KEY_VALUE_PARTIAL_INFORMATION*>(buffer);
    if (info->Type != REG_SZ && info->Type != REG_EXPAND_SZ)
        return STATUS_OBJECT_TYPE_MISMATCH;
    const ULONG available = sizeof(buffer) - ULONG(offsetof(KEY_VALUE_PARTIAL_INFORMATION, Data));
    const ULONG bytes = info->DataLength < available ? info->DataLength : available;
    ULONG chars = 0;
    for (ULONG i = 0; i + 1 < bytes; i += 2) {
        const WCHAR c = WCHAR(info->Data[i] | (info->Data[i + 1] << 8));
        if (c == 0)
            break;
        if (chars + 1 >= capacity)
            return STATUS_BUFFER_OVERFLOW;
        text[chars++] = c;
    }
    text[chars] = 0;
    return STATUS_SUCCESS;
}

}  // namespace

void buildDeviceId(MorvaxContext* context)
{
    char text[kDeviceIdChars];
    std::snprintf(text, sizeof(text), registry::kDeviceIdFormat, context->VendorId, context->ProductId);
    for (ULONG i = 0; i < kDeviceIdChars; ++i)
        context->DeviceId[i] = WCHAR(static_cast<UCHAR>(text[i]));
    context->DeviceId[kDeviceIdChars - 1] = 0;
}

BOOLEAN GetRegistryPath(MorvaxContext* context)
{
    buildDeviceId(context);
    copyString(context->RegistryPath, kRegistryPathChars, registry::kDefaultSettingsKey);

    WCHAR deviceKey[kKeyPathChars];
    WCHAR pathName[kKeyPathChars];
    if (!copyString(deviceKey, kKeyPathChars, registry::kMakerKey) ||
        !append(deviceKey, kKeyPathChars, context->DeviceId) ||
        !NT_SUCCESS(queryString(deviceKey, registry::kRegistryPathName, pathName, kKeyPathChars)))
        return FALSE;

    WCHAR settings[kRegistryPathChars];
    if (!copyString(settings, kRegistryPathChars, registry::kSoftwareKey) ||
        !append(settings, kRegistryPathChars, pathName))
        return FALSE;  // a path the context cannot hold: keep the default
    copyString(context->RegistryPath, kRegistryPathChars, settings);
    writeActiveMorvax(context);
    return TRUE;
}

NTSTATUS openSettingsKey(const MorvaxContext* context, PCWSTR subkey, PHANDLE key)
{
    WCHAR path[kKeyPathChars];
    if (!settingsKeyPath(context, subkey, path))
        return STATUS_OBJECT_NAME_INVALID;
    UNICODE_STRING keyName;
    RtlInitUnicodeString(&keyName, path);
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &keyName, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, nullptr, nullptr);
    return ZwOpenKey(key, KEY_READ, &attributes);
}

NTSTATUS queryDword(HANDLE key, PCWSTR name, PULONG value)
{
    UNICODE_STRING valueName;
    RtlInitUnicodeString(&valueName, name);
    alignas(ULONG) UCHAR buffer[sizeof(KEY_VALUE_PARTIAL_INFORMATION) + sizeof(ULONG)];
    ULONG resultLength = 0;
    const NTSTATUS status =
        ZwQueryValueKey(key, &valueName, KeyValuePartialInformation, buffer, sizeof(buffer), &resultLength);
    if (!NT_SUCCESS(status))
        return status;
    const auto* info = reinterpret_cast<const KEY_VALUE_PARTIAL_INFORMATION*>(buffer);
    if (info->Type != REG_DWORD || info->DataLength != sizeof(ULONG))
        return STATUS_OBJECT_TYPE_MISMATCH;
    *value = ULONG(info->Data[0]) | ULONG(info->Data[1]) << 8 | ULONG(info->Data[2]) << 16 |
             ULONG(info->Data[3]) << 24;
    return STATUS_SUCCESS;
}

NTSTATUS readSettingsDword(const MorvaxContext* context, PCWSTR subkey, PCWSTR name, PULONG value)
{
    HANDLE key = nullptr;
    NTSTATUS status = openSettingsKey(context, subkey, &key);
    if (!NT_SUCCESS(status))
        return status;
    status = queryDword(key, name, value);
    ZwClose(key);
    return status;
}

NTSTATUS writeSettingsDword(const MorvaxContext* context, PCWSTR subkey, PCWSTR name, ULONG value)
{
    WCHAR path[kKeyPathChars];
    if (!settingsKeyPath(context, subkey, path))
        return STATUS_OBJECT_NAME_INVALID;
    // A subkey is made on first use, below a settings key that exists.
    if (subkey != nullptr)
        RtlCreateRegistryKey(RTL_REGISTRY_ABSOLUTE, path);
    return RtlWriteRegistryValue(RTL_REGISTRY_ABSOLUTE, path, name, REG_DWORD, &value, sizeof(value));
}

NTSTATUS writeActiveMorvax(const MorvaxContext* context)
{
    WCHAR text[registry::kActiveMorvaxBytes / sizeof(WCHAR)] = {};
    copyString(text, registry::kActiveMorvaxBytes / sizeof(WCHAR), context->DeviceId);
    WCHAR makerKey[kKeyPathChars];
    copyString(makerKey, kKeyPathChars, registry::kMakerKey);
    if (const size_t length = wideLength(makerKey); length > 0 && makerKey[length - 1] == u'\\')
        makerKey[length - 1] = 0;
    return RtlWriteRegistryValue(RTL_REGISTRY_ABSOLUTE, makerKey, registry::kActiveMorvax, REG_SZ, text,
                                 registry::kActiveMorvaxBytes);
}

}  // namespace qm::morvax
