#include "videodriver/engine/device_start.h"

#include "videodriver/engine/channel_control.h"
#include "videodriver/engine/usb_requests.h"

namespace qm::morvax {

namespace {

// The configuration descriptor is first read into a buffer of this size;
// a longer one is read again at its full length.
constexpr ULONG kFirstConfigurationRead = 64;

LONG volatile g_instanceCount = 0;
ULONG g_deviceExtensionSize = sizeof(DeviceExtension);

PDEVICE_OBJECT busDevice(DeviceExtension* deviceExtension) { return deviceExtension->StackDeviceObject; }

NTSTATUS readDescriptor(DeviceExtension* deviceExtension, UCHAR type, PVOID buffer, ULONG length,
                        PULONG transferred)
{
    URB urb{};
    UsbBuildGetDescriptorRequest(&urb, USHORT(sizeof(_URB_CONTROL_DESCRIPTOR_REQUEST)), type, 0, 0, buffer, nullptr,
                                 length, nullptr);
    const NTSTATUS status = USBCAMD_CallUSBD(deviceExtension, &urb);
    *transferred = NT_SUCCESS(status) ? urb.UrbControlDescriptorRequest.TransferBufferLength : 0;
    if (*transferred > length)
        *transferred = length;
    return status;
}

// Reads the whole configuration descriptor into pool; null on failure.
PUSB_CONFIGURATION_DESCRIPTOR readConfiguration(DeviceExtension* deviceExtension, NTSTATUS* status)
{
    ULONG length = kFirstConfigurationRead;
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto* descriptor = static_cast<PUSB_CONFIGURATION_DESCRIPTOR>(allocatePool(length));
        if (descriptor == nullptr) {
            *status = STATUS_INSUFFICIENT_RESOURCES;
            return nullptr;
        }
        ULONG transferred = 0;
        *status = readDescriptor(deviceExtension, USB_CONFIGURATION_DESCRIPTOR_TYPE, descriptor, length, &transferred);
        if (NT_SUCCESS(*status) && transferred < sizeof(USB_CONFIGURATION_DESCRIPTOR))
            *status = STATUS_DEVICE_DATA_ERROR;
        if (!NT_SUCCESS(*status)) {
            freePool(descriptor);
            return nullptr;
        }
        const ULONG total = descriptor->wTotalLength;
        if (total < sizeof(USB_CONFIGURATION_DESCRIPTOR)) {
            freePool(descriptor);
            *status = STATUS_DEVICE_DATA_ERROR;
            return nullptr;
        }
        if (total <= transferred)
            return descriptor;
        freePool(descriptor);
        length = total;
    }
    *status = STATUS_DEVICE_DATA_ERROR;  // the length changed between the two reads
    return nullptr;
}

bool interfaceRecordIsWhole(const USBD_INTERFACE_INFORMATION* interface)
{
    return interface->NumberOfPipes <= USBD_MAX_ISO_PACKETS &&
           interface->Length >= GET_USBD_INTERFACE_SIZE(interface->NumberOfPipes);
}

// Gives back what the device took at start (the camera's part included).
void releaseDevice(DeviceExtension* deviceExtension)
{
    deviceExtension->Callbacks.CamUnInitialize(busDevice(deviceExtension), cameraContext(deviceExtension));
    if (deviceExtension->DeviceDescriptor != nullptr) {
        freePool(deviceExtension->DeviceDescriptor);
        deviceExtension->DeviceDescriptor = nullptr;
    }
    if (deviceExtension->Interface != nullptr) {
        freePool(deviceExtension->Interface);
        deviceExtension->Interface = nullptr;
    }
}

}  // namespace

LONG driverInstanceCount() { return g_instanceCount; }
void setDeviceExtensionSize(ULONG bytes) { g_deviceExtensionSize = bytes; }
void countDriverInstance(LONG delta) { InterlockedExchangeAdd(&g_instanceCount, delta); }

NTSTATUS HwInitialize(PHW_STREAM_REQUEST_BLOCK srb, const CameraCallbacks* callbacks)
{
    PPORT_CONFIGURATION_INFORMATION config = srb->CommandData.ConfigInfo;
    auto* deviceExtension = static_cast<DeviceExtension*>(config->HwDeviceExtension);
    if (config->NumberOfAccessRanges > 0)
        return STATUS_NO_SUCH_DEVICE;

    // Every field starts from zero, whatever the memory held before.
    RtlZeroMemory(deviceExtension, g_deviceExtensionSize);
    config->ClassDeviceObject->Flags |= DO_DIRECT_IO;
    config->ClassDeviceObject->Flags &= ~DO_DEVICE_INITIALIZING;

    deviceExtension->Signature = kDeviceExtensionSignature;
    deviceExtension->StackDeviceObject = config->PhysicalDeviceObject;
    deviceExtension->ClassDeviceObject = config->ClassDeviceObject;
    deviceExtension->Callbacks = *callbacks;
    deviceExtension->CurrentPowerState = PowerDeviceD0;
    deviceExtension->StreamState = kNoStreamOpen;
    deviceExtension->ChannelExtension = nullptr;
    deviceExtension->DevicePresent = kDeviceStarting;

    const NTSTATUS status = USBCAMD_StartDevice(deviceExtension);
    // A device that did not start gets no uninitialise request.
    if (!NT_SUCCESS(status))
        releaseDevice(deviceExtension);

    // The stream header and one information record per stream.
    config->StreamDescriptorSize = ULONG(sizeof(HW_STREAM_HEADER) + kNoStreamOpen * sizeof(HW_STREAM_INFORMATION));
    InitializeListHead(&deviceExtension->PendingRequestList);
    KeInitializeSpinLock(&deviceExtension->PendingRequestLock);
    deviceExtension->ProcessingControlRequest = FALSE;
    deviceExtension->DevicePresent = kDeviceStarted;
    return status;
}

NTSTATUS USBCAMD_StartDevice(DeviceExtension* deviceExtension)
{
    deviceExtension->OpenChannelCount = 0;
    KeInitializeSemaphore(&deviceExtension->CallSemaphore, 1, 1);
    deviceExtension->ResetCount = -1;
    KeInitializeEvent(&deviceExtension->ResetIdleEvent, NotificationEvent, TRUE);

    auto* descriptor = static_cast<PUSB_DEVICE_DESCRIPTOR>(allocatePool(sizeof(USB_DEVICE_DESCRIPTOR)));
    if (descriptor == nullptr)
        return STATUS_INSUFFICIENT_RESOURCES;
    ULONG transferred = 0;
    NTSTATUS status =
        readDescriptor(deviceExtension, USB_DEVICE_DESCRIPTOR_TYPE, descriptor, sizeof(USB_DEVICE_DESCRIPTOR), &transferred);
    if (NT_SUCCESS(status) && transferred != sizeof(USB_DEVICE_DESCRIPTOR))
        status = STATUS_DEVICE_DATA_ERROR;
    if (!NT_SUCCESS(status)) {
        freePool(descriptor);
        return status;
    }
    deviceExtension->DeviceDescriptor = descriptor;
    return USBCAMD_ConfigureDevice(deviceExtension);
}

NTSTATUS USBCAMD_ConfigureDevice(DeviceExtension* deviceExtension)
{
    NTSTATUS status = STATUS_SUCCESS;
    PUSB_CONFIGURATION_DESCRIPTOR configuration = readConfiguration(deviceExtension, &status);
    if (configuration == nullptr)
        return status;
    status = USBCAMD_SelectConfiguration(deviceExtension, configuration);
    if (NT_SUCCESS(status))
        status = deviceExtension->Callbacks.CamInitialize(busDevice(deviceExtension), cameraContext(deviceExtension));
    freePool(configuration);
    return status;
}

NTSTATUS USBCAMD_SelectConfiguration(DeviceExtension* deviceExtension,
                                     PUSB_CONFIGURATION_DESCRIPTOR configurationDescriptor)
{
    PUSB_INTERFACE_DESCRIPTOR interfaceDescriptor =
        USBD_ParseConfigurationDescriptorEx(configurationDescriptor, configurationDescriptor, -1, -1, -1, -1, -1);
    if (interfaceDescriptor == nullptr)
        return STATUS_DEVICE_DATA_ERROR;

    USBD_INTERFACE_LIST_ENTRY interfaceList[2] = {{interfaceDescriptor, nullptr}, {nullptr, nullptr}};
    PURB urb = USBD_CreateConfigurationRequestEx(configurationDescriptor, interfaceList);
    if (urb == nullptr)
        return STATUS_INSUFFICIENT_RESOURCES;
    PUSBD_INTERFACE_INFORMATION interface = interfaceList[0].Interface;

    NTSTATUS status = deviceExtension->Callbacks.CamConfigure(
        busDevice(deviceExtension), cameraContext(deviceExtension), interface, configurationDescriptor,
        &deviceExtension->DataPipe, &deviceExtension->SyncPipe, deviceExtension->DeviceDescriptor);
    if (NT_SUCCESS(status))
        status = USBCAMD_CallUSBD(deviceExtension, urb);
    if (NT_SUCCESS(status) && !interfaceRecordIsWhole(interface))
        status = STATUS_DEVICE_DATA_ERROR;
    if (NT_SUCCESS(status)) {
        deviceExtension->ConfigurationHandle = urb->UrbSelectConfiguration.ConfigurationHandle;
        auto* copy = static_cast<PUSBD_INTERFACE_INFORMATION>(allocatePool(interface->Length));
        if (copy == nullptr) {
            status = STATUS_INSUFFICIENT_RESOURCES;
        } else {
            RtlCopyMemory(copy, interface, interface->Length);
            if (deviceExtension->Interface != nullptr)
                freePool(deviceExtension->Interface);
            deviceExtension->Interface = copy;
        }
    }
    ExFreePool(urb);
    return status;
}

NTSTATUS USBCAMD_SelectAlternateInterface(PVOID context, PUSBD_INTERFACE_INFORMATION interface)
{
    DeviceExtension* deviceExtension = deviceExtensionOf(context);
    if (interface == nullptr || !interfaceRecordIsWhole(interface))
        return STATUS_INVALID_PARAMETER;
    const SIZE_T size = GET_SELECT_INTERFACE_REQUEST_SIZE(interface->NumberOfPipes);
    const SIZE_T room = size - offsetof(_URB_SELECT_INTERFACE, Interface);
    if (size > 0xFFFF || interface->Length > room)
        return STATUS_INVALID_PARAMETER;

    auto* urb = static_cast<PURB>(allocatePool(size));
    if (urb == nullptr)
        return STATUS_INSUFFICIENT_RESOURCES;
    RtlZeroMemory(urb, size);
    UsbBuildSelectInterfaceRequest(urb, USHORT(size), deviceExtension->ConfigurationHandle,
                                   interface->InterfaceNumber, interface->AlternateSetting);
    RtlCopyMemory(&urb->UrbSelectInterface.Interface, interface, interface->Length);

    NTSTATUS status = USBCAMD_CallUSBD(deviceExtension, urb);
    const USBD_INTERFACE_INFORMATION& answer = urb->UrbSelectInterface.Interface;
    if (NT_SUCCESS(status) && (answer.Length != interface->Length || !interfaceRecordIsWhole(&answer)))
        status = STATUS_DEVICE_DATA_ERROR;
    if (NT_SUCCESS(status)) {
        RtlCopyMemory(interface, &answer, answer.Length);
        PUSBD_INTERFACE_INFORMATION own = deviceExtension->Interface;
        if (own != nullptr && own->Length == answer.Length)
            RtlCopyMemory(own, &answer, answer.Length);
    }
    freePool(urb);
    return status;
}

void USBCAMD_RemoveDevice(DeviceExtension* deviceExtension)
{
    releaseDevice(deviceExtension);
    countDriverInstance(-1);
}

NTSTATUS HwUnInitialize(PHW_STREAM_REQUEST_BLOCK srb)
{
    auto* deviceExtension = static_cast<DeviceExtension*>(srb->HwDeviceExtension);
    if (Channel* channel = deviceExtension->ChannelExtension; channel != nullptr && channel->Streaming)
        USBCAMD_StopChannel(deviceExtension, channel);
    deviceExtension->DevicePresent = kDeviceRemoved;
    if (deviceExtension->OpenChannelCount == 0)
        USBCAMD_RemoveDevice(deviceExtension);
    return STATUS_SUCCESS;
}

NTSTATUS USBCAMD_SetDevicePowerState(DeviceExtension* deviceExtension, PHW_STREAM_REQUEST_BLOCK srb)
{
    const DEVICE_POWER_STATE newState = srb->CommandData.DeviceState;
    PVOID context = cameraContext(deviceExtension);
    NTSTATUS status = STATUS_SUCCESS;
    CallSemaphoreGuard guard(deviceExtension);
    switch (newState) {
    case PowerDeviceD0:
        if (deviceExtension->CurrentPowerState == PowerDeviceD3)
            deviceExtension->Callbacks.CamRestoreState(context);
        break;
    case PowerDeviceD3:
        if (deviceExtension->CurrentPowerState == PowerDeviceD0)
            deviceExtension->Callbacks.CamSaveState(context);
        break;
    case PowerDeviceD1:
    case PowerDeviceD2:
        break;
    default:
        status = STATUS_INVALID_PARAMETER;
        break;
    }
    if (NT_SUCCESS(status))
        deviceExtension->CurrentPowerState = newState;
    return status;
}

}  // namespace qm::morvax
