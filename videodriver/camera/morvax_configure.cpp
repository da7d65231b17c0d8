// Configuration of the camera layer at device start: identity, settings
// key, the context's defaults, the camera's settings and default register
// image, and the pipes the engine streams from.
#include "videodriver/camera/morvax_callbacks.h"
#include "videodriver/camera/settings_key.h"
#include "videodriver/camera/sensor/camera_settings.h"

namespace qm::morvax {

namespace {

constexpr LONG kDataPipe = 1;
constexpr LONG kSyncPipe = 2;
constexpr ULONG kDataPipeTransferSize = 32768;
constexpr ULONG kSyncPipeTransferSize = 4096;

}  // namespace

NTSTATUS MORVAX_Configure(PDEVICE_OBJECT, PVOID context, PUSBD_INTERFACE_INFORMATION interface,
                          PUSB_CONFIGURATION_DESCRIPTOR, PLONG dataPipeIndex, PLONG syncPipeIndex,
                          PUSB_DEVICE_DESCRIPTOR deviceDescriptor)
{
    MorvaxContext* camera = morvaxContext(context);
    camera->VendorId = deviceDescriptor->idVendor;
    camera->ProductId = deviceDescriptor->idProduct;
    camera->RegistryPathFound = GetRegistryPath(camera);
    morvaxSetDefaults(camera);
    loadCameraSettings(camera);

    // The pipes the camera streams on and what one transfer may carry.
    if (interface->NumberOfPipes <= ULONG(kSyncPipe))
        return STATUS_DEVICE_DATA_ERROR;
    interface->AlternateSetting = 0;
    interface->Pipes[kDataPipe].MaximumTransferSize = kDataPipeTransferSize;
    interface->Pipes[kSyncPipe].MaximumTransferSize = kSyncPipeTransferSize;
    *dataPipeIndex = kDataPipe;
    *syncPipeIndex = kSyncPipe;

    if (camera->InterfaceInformation != nullptr)
        freePool(camera->InterfaceInformation);
    camera->InterfaceInformation = static_cast<PUSBD_INTERFACE_INFORMATION>(allocatePool(interface->Length));
    if (camera->InterfaceInformation == nullptr)
        return STATUS_INSUFFICIENT_RESOURCES;
    RtlCopyMemory(camera->InterfaceInformation, interface, interface->Length);
    return STATUS_SUCCESS;
}

}  // namespace qm::morvax
