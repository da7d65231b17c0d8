// A function driver's side of the bus for the tests: synchronous URB
// submission and the requests built the way drivers build them.
#pragma once

#include <cstring>
#include <memory>
#include <vector>

#include "platform/usbd/usbd.h"

namespace qm::test {

using namespace qm::usbd;

// Sends a URB and waits for it, as drivers do with an event.
inline NTSTATUS callUsbd(PDEVICE_OBJECT pdo, PURB urb)
{
    KEVENT event;
    KeInitializeEvent(&event, NotificationEvent, FALSE);
    IO_STATUS_BLOCK iosb{};
    PIRP irp = IoBuildDeviceIoControlRequest(IOCTL_INTERNAL_USB_SUBMIT_URB, pdo, nullptr, 0, nullptr, 0, TRUE, &event,
                                             &iosb);
    IoGetNextIrpStackLocation(irp)->Parameters.Others.Argument1 = urb;
    NTSTATUS status = IoCallDriver(pdo, irp);
    if (status == STATUS_PENDING) {
        KeWaitForSingleObject(&event, Executive, KernelMode, FALSE, nullptr);
        status = iosb.Status;
    }
    return status;
}

inline NTSTATUS portIoctl(PDEVICE_OBJECT pdo, ULONG code, PVOID argument)
{
    KEVENT event;
    KeInitializeEvent(&event, NotificationEvent, FALSE);
    IO_STATUS_BLOCK iosb{};
    PIRP irp = IoBuildDeviceIoControlRequest(code, pdo, nullptr, 0, nullptr, 0, TRUE, &event, &iosb);
    IoGetNextIrpStackLocation(irp)->Parameters.Others.Argument1 = argument;
    return IoCallDriver(pdo, irp);
}

inline std::vector<UCHAR> readDescriptor(PDEVICE_OBJECT pdo, UCHAR type, ULONG length, NTSTATUS* status = nullptr)
{
    std::vector<UCHAR> buffer(length);
    URB urb{};
    UsbBuildGetDescriptorRequest(&urb, sizeof(_URB_CONTROL_DESCRIPTOR_REQUEST), type, 0, 0, buffer.data(), nullptr,
                                 length, nullptr);
    const NTSTATUS result = callUsbd(pdo, &urb);
    if (status != nullptr)
        *status = result;
    buffer.resize(NT_SUCCESS(result) ? urb.UrbControlDescriptorRequest.TransferBufferLength : 0);
    return buffer;
}

// The configuration as selected: its handle and the first interface's record.
struct Selection {
    NTSTATUS status = STATUS_UNSUCCESSFUL;
    USBD_CONFIGURATION_HANDLE configuration = nullptr;
    std::vector<UCHAR> interfaceRecord;

    const USBD_INTERFACE_INFORMATION& interface() const
    {
        return *reinterpret_cast<const USBD_INTERFACE_INFORMATION*>(interfaceRecord.data());
    }
    USBD_PIPE_HANDLE pipe(ULONG index) const { return interface().Pipes[index].PipeHandle; }
};

inline Selection selectConfiguration(PDEVICE_OBJECT pdo)
{
    std::vector<UCHAR> configuration = readDescriptor(pdo, USB_CONFIGURATION_DESCRIPTOR_TYPE, 512);
    auto* descriptor = reinterpret_cast<PUSB_CONFIGURATION_DESCRIPTOR>(configuration.data());
    USBD_INTERFACE_LIST_ENTRY list[2] = {};
    list[0].InterfaceDescriptor = USBD_ParseConfigurationDescriptorEx(descriptor, descriptor, -1, -1, -1, -1, -1);
    PURB urb = USBD_CreateConfigurationRequestEx(descriptor, list);
    Selection selection;
    selection.status = callUsbd(pdo, urb);
    selection.configuration = urb->UrbSelectConfiguration.ConfigurationHandle;
    auto* record = reinterpret_cast<UCHAR*>(list[0].Interface);
    selection.interfaceRecord.assign(record, record + list[0].Interface->Length);
    ExFreePool(urb);
    return selection;
}

inline NTSTATUS selectAlternate(PDEVICE_OBJECT pdo, Selection& selection, UCHAR alternate, ULONG pipes = 2,
                                USBD_STATUS* usbdStatus = nullptr)
{
    const std::size_t size = GET_SELECT_INTERFACE_REQUEST_SIZE(pipes);
    std::vector<std::uint64_t> storage((size + 7) / 8);
    auto* urb = reinterpret_cast<PURB>(storage.data());
    UsbBuildSelectInterfaceRequest(urb, USHORT(size), selection.configuration, 0, alternate);
    const NTSTATUS status = callUsbd(pdo, urb);
    if (usbdStatus != nullptr)
        *usbdStatus = urb->UrbHeader.Status;
    if (NT_SUCCESS(status)) {
        auto* record = reinterpret_cast<UCHAR*>(&urb->UrbSelectInterface.Interface);
        selection.interfaceRecord.assign(record, record + urb->UrbSelectInterface.Interface.Length);
    }
    return status;
}

inline NTSTATUS pipeRequest(PDEVICE_OBJECT pdo, USHORT function, USBD_PIPE_HANDLE pipe)
{
    URB urb{};
    urb.UrbHeader.Length = sizeof(_URB_PIPE_REQUEST);
    urb.UrbHeader.Function = function;
    urb.UrbPipeRequest.PipeHandle = pipe;
    return callUsbd(pdo, &urb);
}

inline ULONG currentFrameOf(PDEVICE_OBJECT pdo)
{
    URB urb{};
    urb.UrbHeader.Length = sizeof(_URB_GET_CURRENT_FRAME_NUMBER);
    urb.UrbHeader.Function = URB_FUNCTION_GET_CURRENT_FRAME_NUMBER;
    callUsbd(pdo, &urb);
    return urb.UrbGetCurrentFrameNumber.FrameNumber;
}

// An isochronous IN transfer with its own IRP, URB and buffer.
class IsoTransfer {
public:
    IsoTransfer(PDEVICE_OBJECT pdo, USBD_PIPE_HANDLE pipe, ULONG packets, ULONG packetSize)
        : pdo_(pdo), pipe_(pipe), packets_(packets), packetSize_(packetSize),
          urbStorage_((GET_ISO_URB_SIZE(packets) + 7) / 8), buffer_(packets * packetSize)
    {
        irp_ = IoAllocateIrp(CCHAR(pdo->StackSize + 1), FALSE);
    }
    ~IsoTransfer() { IoFreeIrp(irp_); }

    _URB_ISOCH_TRANSFER& urb() { return reinterpret_cast<PURB>(urbStorage_.data())->UrbIsochronousTransfer; }
    PIRP irp() { return irp_; }
    const std::vector<UCHAR>& buffer() const { return buffer_; }

    // Rebuilds the URB and IRP and sends them; the routine sees the result.
    NTSTATUS submit(PIO_COMPLETION_ROUTINE routine, PVOID context, bool asap, ULONG startFrame = 0)
    {
        std::memset(urbStorage_.data(), 0, urbStorage_.size() * 8);
        _URB_ISOCH_TRANSFER& request = urb();
        request.Hdr.Length = USHORT(GET_ISO_URB_SIZE(packets_));
        request.Hdr.Function = URB_FUNCTION_ISOCH_TRANSFER;
        request.PipeHandle = pipe_;
        request.TransferFlags = USBD_TRANSFER_DIRECTION_IN | (asap ? USBD_START_ISO_TRANSFER_ASAP : 0);
        request.TransferBufferLength = ULONG(buffer_.size());
        request.TransferBuffer = buffer_.data();
        request.NumberOfPackets = packets_;
        request.StartFrame = startFrame;
        for (ULONG i = 0; i < packets_; ++i)
            request.IsoPacket[i].Offset = i * packetSize_;
        IoInitializeIrp(irp_, IoSizeOfIrp(CCHAR(pdo_->StackSize + 1)), CCHAR(pdo_->StackSize + 1));
        PIO_STACK_LOCATION next = IoGetNextIrpStackLocation(irp_);
        next->MajorFunction = IRP_MJ_INTERNAL_DEVICE_CONTROL;
        next->Parameters.DeviceIoControl.IoControlCode = IOCTL_INTERNAL_USB_SUBMIT_URB;
        next->Parameters.Others.Argument1 = &request;
        IoSetCompletionRoutine(irp_, routine, context, TRUE, TRUE, TRUE);
        return IoCallDriver(pdo_, irp_);
    }

    // The frame number a data packet carries.
    ULONG frameOfPacket(ULONG index) const
    {
        ULONG frame;
        std::memcpy(&frame, buffer_.data() + index * packetSize_, sizeof frame);
        return frame;
    }

private:
    PDEVICE_OBJECT pdo_;
    USBD_PIPE_HANDLE pipe_;
    ULONG packets_;
    ULONG packetSize_;
    std::vector<std::uint64_t> urbStorage_;
    std::vector<UCHAR> buffer_;
    PIRP irp_ = nullptr;
};

}  // namespace qm::test
