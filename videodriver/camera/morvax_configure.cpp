// Configuration of the camera layer at device start: identity, settings
// key, the context's defaults, the camera's settings and default register
// image, and the pipes the engine streams from.
#include "videodriver/camera/driver_globals.h"
#include "videodriver/camera/morvax_callbacks.h"
#include "videodriver/camera/settings_key.h"
#include "videodriver/camera/sensor/camera_settings.h"
#include "videodriver/properties/frame_rate_list.h"
#include "videodriver/properties/pnp_log.h"

namespace qm::morvax {

namespace {

constexpr LONG kDataPipe = 1;
constexpr LONG kSyncPipe = 2;
constexpr ULONG kDataPipeTransferSize = 32768;
constexpr ULONG kSyncPipeTransferSize = 4096;

NTSTATUS configure(MorvaxContext* camera, PUSBD_INTERFACE_INFORMATION interface, PLONG dataPipeIndex,
                   PLONG syncPipeIndex, PUSB_DEVICE_DESCRIPTOR deviceDescriptor)
{
    camera->VendorId = deviceDescriptor->idVendor;
    camera->ProductId = deviceDescriptor->idProduct;
    camera->RegistryPathFound = GetRegistryPath(camera);
    morvaxSetDefaults(camera);
    loadCameraSettings(camera);
    readFrameRateLimits(camera);

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

}  // namespace

NTSTATUS MORVAX_Configure(PDEVICE_OBJECT, PVOID context, PUSBD_INTERFACE_INFORMATION interface,
                          PUSB_CONFIGURATION_DESCRIPTOR, PLONG dataPipeIndex, PLONG syncPipeIndex,
                          PUSB_DEVICE_DESCRIPTOR deviceDescriptor)
{
    MorvaxContext* camera = morvaxContext(context);
    PnPLog(camera, g_driverGlobals.PnPLogStep++, STATUS_SUCCESS);
    const NTSTATUS status = configure(camera, interface, dataPipeIndex, syncPipeIndex, deviceDescriptor);
    PnPLog(camera, g_driverGlobals.PnPLogStep++, ULONG(status));
    return status;
}

}  // namespace qm::morvax
