#include "videodriver/engine/usb_requests.h"

namespace qm::morvax {

namespace {

NTSTATUS callLowerDriver(DeviceExtension* deviceExtension, ULONG ioControlCode, PVOID argument)
{
    if (deviceExtension->DevicePresent == kDeviceRemoved)
        return STATUS_DEVICE_DATA_ERROR;
    KEVENT event;
    KeInitializeEvent(&event, NotificationEvent, FALSE);
    IO_STATUS_BLOCK ioStatus{};
    PIRP irp = IoBuildDeviceIoControlRequest(ioControlCode, deviceExtension->StackDeviceObject, nullptr, 0, nullptr,
                                             0, TRUE, &event, &ioStatus);
    if (irp == nullptr)
        return STATUS_INSUFFICIENT_RESOURCES;
    IoGetNextIrpStackLocation(irp)->Parameters.Others.Argument1 = argument;
    NTSTATUS status = IoCallDriver(deviceExtension->StackDeviceObject, irp);
    if (status == STATUS_PENDING) {
        KeWaitForSingleObject(&event, Executive, KernelMode, FALSE, nullptr);
        status = ioStatus.Status;
    }
    return status;
}

NTSTATUS pipeRequest(DeviceExtension* deviceExtension, LONG pipeIndex, USHORT function)
{
    PUSBD_PIPE_INFORMATION pipe = pipeInformation(deviceExtension, pipeIndex);
    if (pipe == nullptr)
        return STATUS_SUCCESS;
    URB urb{};
    urb.UrbHeader.Length = USHORT(sizeof(_URB_PIPE_REQUEST));
    urb.UrbHeader.Function = function;
    urb.UrbPipeRequest.PipeHandle = pipe->PipeHandle;
    return USBCAMD_CallUSBD(deviceExtension, &urb);
}

}  // namespace

NTSTATUS USBCAMD_CallUSBD(DeviceExtension* deviceExtension, PURB urb)
{
    return callLowerDriver(deviceExtension, IOCTL_INTERNAL_USB_SUBMIT_URB, urb);
}

ULONG USBCAMD_GetCurrentFrame(DeviceExtension* deviceExtension)
{
    URB urb{};
    urb.UrbHeader.Length = USHORT(sizeof(_URB_GET_CURRENT_FRAME_NUMBER));
    urb.UrbHeader.Function = URB_FUNCTION_GET_CURRENT_FRAME_NUMBER;
    if (!NT_SUCCESS(USBCAMD_CallUSBD(deviceExtension, &urb)) || !USBD_SUCCESS(urb.UrbHeader.Status))
        return 0;
    return urb.UrbGetCurrentFrameNumber.FrameNumber;
}

NTSTATUS USBCAMD_GetPortStatus(DeviceExtension* deviceExtension, PULONG portStatus)
{
    *portStatus = 0;
    return callLowerDriver(deviceExtension, IOCTL_INTERNAL_USB_GET_PORT_STATUS, portStatus);
}

NTSTATUS USBCAMD_EnablePort(DeviceExtension* deviceExtension)
{
    return callLowerDriver(deviceExtension, IOCTL_INTERNAL_USB_ENABLE_PORT, nullptr);
}

PUSBD_PIPE_INFORMATION pipeInformation(DeviceExtension* deviceExtension, LONG pipeIndex)
{
    PUSBD_INTERFACE_INFORMATION interface = deviceExtension->Interface;
    if (interface == nullptr || pipeIndex < 0 || ULONG(pipeIndex) >= interface->NumberOfPipes)
        return nullptr;
    return &interface->Pipes[pipeIndex];
}

NTSTATUS USBCAMD_ResetPipe(DeviceExtension* deviceExtension, LONG pipeIndex)
{
    return pipeRequest(deviceExtension, pipeIndex, URB_FUNCTION_RESET_PIPE);
}

NTSTATUS USBCAMD_AbortPipe(DeviceExtension* deviceExtension, LONG pipeIndex)
{
    return pipeRequest(deviceExtension, pipeIndex, URB_FUNCTION_ABORT_PIPE);
}

}  // namespace qm::morvax
