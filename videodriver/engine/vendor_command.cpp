#include "videodriver/engine/vendor_command.h"

#include "videodriver/engine/usb_requests.h"

namespace qm::morvax {

namespace {

struct VendorCommand {
    DeviceExtension* Device;
    UCHAR Request;
    USHORT Value;
    USHORT Index;
    PVOID Buffer;
    PULONG BufferLength;
    BOOLEAN Direction;
    PCOMMAND_COMPLETE_FUNCTION CommandComplete;
    PVOID CommandContext;
};

struct CommandWorkItem {
    WORK_QUEUE_ITEM Item;
    VendorCommand Command;
};

// The setup stage carries the length in 16 bits.
constexpr ULONG kLargestControlTransfer = 0xFFFF;

NTSTATUS USBCAMD_ControlVendorCommandWorker(const VendorCommand& command)
{
    const ULONG length = command.BufferLength != nullptr ? *command.BufferLength : 0;
    if (length > kLargestControlTransfer || (length > 0 && command.Buffer == nullptr))
        return STATUS_INVALID_PARAMETER;

    constexpr SIZE_T urbSize = sizeof(_URB_CONTROL_VENDOR_OR_CLASS_REQUEST);
    auto* block = static_cast<PUCHAR>(allocatePool(urbSize + length));
    if (block == nullptr)
        return STATUS_INSUFFICIENT_RESOURCES;
    RtlZeroMemory(block, urbSize);
    auto* urb = reinterpret_cast<PURB>(block);
    PUCHAR data = block + urbSize;
    if (command.Direction == kHostToDevice && length > 0)
        RtlCopyMemory(data, command.Buffer, length);

    UsbBuildVendorRequest(urb, URB_FUNCTION_VENDOR_DEVICE, USHORT(urbSize),
                          command.Direction == kDeviceToHost ? USBD_TRANSFER_DIRECTION_IN : 0, 0, command.Request,
                          command.Value, command.Index, length > 0 ? data : nullptr, nullptr, length, nullptr);
    const NTSTATUS status = USBCAMD_CallUSBD(command.Device, urb);

    // Never trust the stack to report more than the buffer holds.
    ULONG transferred = urb->UrbControlVendorClassRequest.TransferBufferLength;
    if (transferred > length)
        transferred = length;
    if (NT_SUCCESS(status)) {
        if (command.Direction == kDeviceToHost && transferred > 0)
            RtlCopyMemory(command.Buffer, data, transferred);
    } else {
        transferred = 0;
    }
    if (command.BufferLength != nullptr)
        *command.BufferLength = transferred;
    freePool(block);
    return status;
}

void USBCAMD_CommandWorkItem(PVOID parameter)
{
    auto* work = static_cast<CommandWorkItem*>(parameter);
    const VendorCommand command = work->Command;
    freePool(work);
    const NTSTATUS status = USBCAMD_ControlVendorCommandWorker(command);
    if (command.CommandComplete != nullptr)
        command.CommandComplete(cameraContext(command.Device), command.CommandContext, status);
}

}  // namespace

NTSTATUS USBCAMD_ControlVendorCommand(PVOID context, UCHAR request, USHORT value, USHORT index, PVOID buffer,
                                      PULONG bufferLength, BOOLEAN direction,
                                      PCOMMAND_COMPLETE_FUNCTION commandComplete, PVOID commandContext)
{
    const VendorCommand command{deviceExtensionOf(context), request, value, index, buffer, bufferLength,
                                direction, commandComplete, commandContext};
    if (KeGetCurrentIrql() < DISPATCH_LEVEL) {
        const NTSTATUS status = USBCAMD_ControlVendorCommandWorker(command);
        if (commandComplete != nullptr)
            commandComplete(context, commandContext, status);
        return status;
    }
    auto* work = static_cast<CommandWorkItem*>(allocatePool(sizeof(CommandWorkItem)));
    if (work == nullptr)
        return STATUS_INSUFFICIENT_RESOURCES;
    work->Command = command;
    ExInitializeWorkItem(&work->Item, USBCAMD_CommandWorkItem, work);
    ExQueueWorkItem(&work->Item, DelayedWorkQueue);
    return STATUS_PENDING;
}

}  // namespace qm::morvax
