#include "videodriver/properties/register_access.h"

#include "videodriver/camera/register_shadow.h"

namespace qm::morvax {

namespace {

USHORT volatile g_selectedRegister = 0;

constexpr ULONG kRegisterFlags = 1;
constexpr ULONG kRegisterCapabilities = 3;

}  // namespace

NTSTATUS selectRegister(const PropertyRequest& request)
{
    LONG value = 0;
    if (!requestedValue(request, value))
        return STATUS_BUFFER_TOO_SMALL;
    g_selectedRegister = USHORT(value);
    return STATUS_SUCCESS;
}

NTSTATUS getSelectedRegister(MorvaxContext* context, PropertyRequest& request)
{
    UCHAR value = 0;
    if (!DF_ReadRegister(context, g_selectedRegister, &value))
        return STATUS_IO_DEVICE_ERROR;
    return answerValue(request, value, kRegisterFlags, kRegisterCapabilities);
}

NTSTATUS setSelectedRegister(MorvaxContext* context, const PropertyRequest& request)
{
    LONG value = 0;
    if (!requestedValue(request, value))
        return STATUS_BUFFER_TOO_SMALL;
    return DF_WriteRegister(context, g_selectedRegister, UCHAR(value)) ? STATUS_SUCCESS : STATUS_IO_DEVICE_ERROR;
}

}  // namespace qm::morvax
