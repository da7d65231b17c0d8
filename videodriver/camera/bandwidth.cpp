// Isochronous bandwidth: the camera's alternate settings 1..7 ask for less
// and less of the bus; capture takes the first one the bus grants.
#include "videodriver/camera/morvax_callbacks.h"
#include "videodriver/engine/device_start.h"

namespace qm::morvax {

namespace {

constexpr ULONG kLastAlternateSetting = 7;
// Every read buffer holds a frame of up to this many bytes.
constexpr ULONG kRawFrameLength = 614400;

NTSTATUS selectAlternateSetting(MorvaxContext* camera, ULONG alternateSetting)
{
    PUSBD_INTERFACE_INFORMATION interface = camera->InterfaceInformation;
    const UCHAR previous = interface->AlternateSetting;
    interface->AlternateSetting = UCHAR(alternateSetting);
    const NTSTATUS status = USBCAMD_SelectAlternateInterface(camera, interface);
    if (!NT_SUCCESS(status))
        interface->AlternateSetting = previous;
    return status;
}

}  // namespace

NTSTATUS MORVAX_AllocateBandwidth(PDEVICE_OBJECT, PVOID context, PULONG rawFrameLength, PVOID)
{
    MorvaxContext* camera = morvaxContext(context);
    *rawFrameLength = kRawFrameLength;
    if (camera->InterfaceInformation == nullptr)
        return STATUS_INSUFFICIENT_RESOURCES;
    // Setting 0 carries no video: the search starts at 1 at the earliest.
    const ULONG first = camera->FirstAltSetting > 0 ? camera->FirstAltSetting : 1;
    for (ULONG setting = first; setting <= kLastAlternateSetting; ++setting) {
        if (NT_SUCCESS(selectAlternateSetting(camera, setting))) {
            camera->AlternateSetting = setting;
            return STATUS_SUCCESS;
        }
    }
    return STATUS_INSUFFICIENT_RESOURCES;
}

NTSTATUS MORVAX_FreeBandwidth(PDEVICE_OBJECT, PVOID context)
{
    MorvaxContext* camera = morvaxContext(context);
    if (camera->InterfaceInformation == nullptr)
        return STATUS_SUCCESS;
    return selectAlternateSetting(camera, 0);
}

}  // namespace qm::morvax
