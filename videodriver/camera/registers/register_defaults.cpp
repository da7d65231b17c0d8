// The default register image in use: the sensor's table with the front
// end's patches and the registry's overrides, loaded into the camera at
// every capture start and stop, at power-down and when the driver is paged
// out.
#include <cstdio>

#include "videodriver/camera/register_shadow.h"
#include "videodriver/camera/registers/cds_patches.h"
#include "videodriver/camera/registers/default_tables.h"
#include "videodriver/camera/registry_strings.h"
#include "videodriver/camera/settings_key.h"

namespace qm::morvax {

namespace {

// Driver-wide, as the shadow is.
UCHAR g_defaultImage[kShadowSize];

// The value name of a register in the Reg subkey: "0410" for 0410.
void registerValueName(USHORT address, WCHAR (&name)[8])
{
    char text[8];
    std::snprintf(text, sizeof text, registry::kRegisterNameFormat, unsigned(address));
    ULONG i = 0;
    for (; text[i] != 0 && i + 1 < sizeof text; ++i)
        name[i] = WCHAR(text[i] == ' ' ? '0' : text[i]);
    name[i] = 0;
}

// Every register the rows cover may be overridden by a value named after
// it; the low byte of the value replaces the image's entry.
void DR_LoadRegistry(MorvaxContext* context, PUCHAR image)
{
    HANDLE key = nullptr;
    if (!NT_SUCCESS(openSettingsKey(context, registry::kRegSubkey, &key)))
        return;
    for (ULONG row = 0; row < kRegisterRangeCount; ++row) {
        const RegisterRange& range = kRegisterRanges[row];
        for (ULONG i = 0; i < range.Count; ++i) {
            const USHORT address = USHORT(range.FirstAddress + i);
            WCHAR name[8];
            registerValueName(address, name);
            ULONG value = 0;
            if (NT_SUCCESS(queryDword(key, name, &value)))
                image[range.ShadowIndex + i] = UCHAR(value);
        }
    }
    ZwClose(key);
}

}  // namespace

VOID DR_SetDefaultRegTable(MorvaxContext* context)
{
    RtlCopyMemory(g_defaultImage, defaultTableFor(context->CCDType), kShadowSize);
    applyCdsPatches(g_defaultImage, context->CDSType);
    DR_LoadRegistry(context, g_defaultImage);
    context->DefaultRegTable = g_defaultImage;
}

VOID DR_SetDefaultRegister(MorvaxContext* context, USHORT address, UCHAR value)
{
    if (context->DefaultRegTable == nullptr)
        return;
    if (PUCHAR entry = imageEntry(context->DefaultRegTable, address))
        *entry = value;
}

NTSTATUS DR_LoadDefaultTable(MorvaxContext* context)
{
    if (context->DefaultRegTable == nullptr)
        return STATUS_INVALID_DEVICE_STATE;
    for (ULONG row = 0; row < kRegisterRangeCount; ++row) {
        const RegisterRange& range = kRegisterRanges[row];
        for (ULONG i = 0; i < range.Count; ++i)
            DR_SetRegister(USHORT(range.FirstAddress + i), context->DefaultRegTable[range.ShadowIndex + i]);
    }
    for (ULONG row = 0; row < kRegisterRangeCount; ++row) {
        const NTSTATUS status = DR_WriteRegister(context, kRegisterRanges[row].FirstAddress, kRegisterRanges[row].Count);
        if (!NT_SUCCESS(status))
            return status;
    }
    return STATUS_SUCCESS;
}

}  // namespace qm::morvax
