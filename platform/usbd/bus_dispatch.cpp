// The bus's answer to URBs and internal IOCTLs sent to a port's physical
// device object. Everything but isochronous transfers and pipe aborts
// completes before IoCallDriver returns.
#include <algorithm>
#include <cstring>

#include "platform/kernel/sim_clock.h"
#include "platform/usbd/detail/bus_impl.h"
#include "platform/usbd/detail/pdo_extension.h"
#include "platform/usbd/usbioctl.h"

namespace qm::usbd::detail {

namespace {

namespace sim = qm::kernel::sim;

// Explicit start frames may lie at most this far ahead.
inline constexpr ULONGLONG kLargestScheduleAhead = 1024;

struct Outcome {
    USBD_STATUS usbd;
    NTSTATUS status;
};

constexpr Outcome kSuccess{USBD_STATUS_SUCCESS, STATUS_SUCCESS};
constexpr Outcome kInvalid{USBD_STATUS_INVALID_PARAMETER, STATUS_INVALID_PARAMETER};
constexpr Outcome kStall{USBD_STATUS_STALL_PID, STATUS_UNSUCCESSFUL};
constexpr Outcome kNotResponding{USBD_STATUS_DEV_NOT_RESPONDING, STATUS_UNSUCCESSFUL};
constexpr Outcome kGone{USBD_STATUS_DEVICE_GONE, STATUS_DEVICE_NOT_CONNECTED};
constexpr Outcome kPending{USBD_STATUS_PENDING, STATUS_PENDING};

ULONGLONG frameNow() { return ULONGLONG(sim::interruptTime()) / 10000; }

NTSTATUS finish(PIRP irp, PURB urb, Outcome outcome)
{
    if (urb != nullptr)
        urb->UrbHeader.Status = outcome.usbd;
    irp->IoStatus.Status = outcome.status;
    irp->IoStatus.Information = 0;
    IoCompleteRequest(irp, IO_NO_PRIORITY_BOOST);
    return outcome.status;
}

PVOID bufferOf(PVOID buffer, PMDL mdl) { return buffer != nullptr ? buffer : MmGetSystemAddressForMdlSafe(mdl, 0); }

Outcome getDescriptor(Port& port, _URB_CONTROL_DESCRIPTOR_REQUEST& request)
{
    if (request.Hdr.Length < sizeof request)
        return kInvalid;
    if (!port.enabled)
        return kNotResponding;
    std::vector<std::uint8_t> descriptor;
    switch (request.DescriptorType) {
    case USB_DEVICE_DESCRIPTOR_TYPE:
        descriptor = port.deviceDescriptor;
        break;
    case USB_CONFIGURATION_DESCRIPTOR_TYPE:
        if (request.Index == 0)
            descriptor = port.configurationBytes;
        break;
    case USB_STRING_DESCRIPTOR_TYPE:
        descriptor = port.model->stringDescriptor(request.Index, request.LanguageId);
        break;
    default:
        break;
    }
    if (descriptor.empty())
        return kStall;
    auto* buffer = static_cast<std::uint8_t*>(bufferOf(request.TransferBuffer, request.TransferBufferMDL));
    if (buffer == nullptr && request.TransferBufferLength > 0)
        return kInvalid;
    const std::size_t copied = std::min<std::size_t>(descriptor.size(), request.TransferBufferLength);
    std::copy_n(descriptor.begin(), copied, buffer);
    request.TransferBufferLength = ULONG(copied);
    return kSuccess;
}

Outcome vendorOrClass(Port& port, _URB_CONTROL_VENDOR_OR_CLASS_REQUEST& request)
{
    if (request.Hdr.Length < sizeof request)
        return kInvalid;
    UCHAR type = BMREQUEST_VENDOR;
    UCHAR recipient = BMREQUEST_TO_DEVICE;
    switch (request.Hdr.Function) {
    case URB_FUNCTION_VENDOR_DEVICE: break;
    case URB_FUNCTION_VENDOR_INTERFACE: recipient = BMREQUEST_TO_INTERFACE; break;
    case URB_FUNCTION_VENDOR_ENDPOINT: recipient = BMREQUEST_TO_ENDPOINT; break;
    case URB_FUNCTION_VENDOR_OTHER: recipient = BMREQUEST_TO_OTHER; break;
    case URB_FUNCTION_CLASS_DEVICE: type = BMREQUEST_CLASS; break;
    case URB_FUNCTION_CLASS_INTERFACE: type = BMREQUEST_CLASS; recipient = BMREQUEST_TO_INTERFACE; break;
    case URB_FUNCTION_CLASS_ENDPOINT: type = BMREQUEST_CLASS; recipient = BMREQUEST_TO_ENDPOINT; break;
    default: type = BMREQUEST_CLASS; recipient = BMREQUEST_TO_OTHER; break;
    }
    const ULONG length = request.TransferBufferLength;
    auto* buffer = static_cast<std::uint8_t*>(bufferOf(request.TransferBuffer, request.TransferBufferMDL));
    if (length > 0xFFFF || (buffer == nullptr && length > 0))
        return kInvalid;
    if (!port.enabled)
        return kNotResponding;
    const bool in = (request.TransferFlags & USBD_TRANSFER_DIRECTION_IN) != 0;
    SetupPacket setup;
    setup.bmRequestType =
        UCHAR((in ? BMREQUEST_DEVICE_TO_HOST : BMREQUEST_HOST_TO_DEVICE) | type | recipient |
              request.RequestTypeReservedBits);
    setup.bRequest = request.Request;
    setup.wValue = request.Value;
    setup.wIndex = request.Index;
    setup.wLength = USHORT(length);
    const ControlResult result = in ? port.model->controlIn(setup, std::span<std::uint8_t>(buffer, length))
                                    : port.model->controlOut(setup, std::span<const std::uint8_t>(buffer, length));
    if (result.stall) {
        request.TransferBufferLength = 0;
        return kStall;
    }
    // An OUT request moves its whole data stage or stalls.
    request.TransferBufferLength = in ? ULONG(std::min<std::size_t>(result.length, length)) : length;
    return kSuccess;
}

// Checks one interface record of a selection; `room` is what the URB has left.
Outcome checkInterface(const Port& port, const USBD_INTERFACE_INFORMATION& information, std::size_t room,
                       const AlternateSetting*& setting)
{
    if (room < offsetof(USBD_INTERFACE_INFORMATION, Pipes) || information.Length > room ||
        information.Length < offsetof(USBD_INTERFACE_INFORMATION, Pipes))
        return kInvalid;
    setting = port.configuration->find(information.InterfaceNumber, information.AlternateSetting);
    if (setting == nullptr)
        return kInvalid;
    if (information.Length < GET_USBD_INTERFACE_SIZE(ULONG(setting->endpoints.size())))
        return {USBD_STATUS_BUFFER_TOO_SMALL, STATUS_INVALID_PARAMETER};
    return kSuccess;
}

// Opens the pipes of a checked record and reports them in it.
void applyInterface(Port& port, USBD_INTERFACE_INFORMATION& information, const AlternateSetting& setting)
{
    const UCHAR number = information.InterfaceNumber;
    port.selected[number] = information.AlternateSetting;
    port.bandwidth[number] = setting.periodicBandwidth();
    port.interfaceHandles[number] = freshHandle();
    information.Class = setting.descriptor.bInterfaceClass;
    information.SubClass = setting.descriptor.bInterfaceSubClass;
    information.Protocol = setting.descriptor.bInterfaceProtocol;
    information.InterfaceHandle = port.interfaceHandles[number];
    information.NumberOfPipes = ULONG(setting.endpoints.size());
    for (std::size_t i = 0; i < setting.endpoints.size(); ++i) {
        const USB_ENDPOINT_DESCRIPTOR& endpoint = setting.endpoints[i];
        USBD_PIPE_INFORMATION& pipeInformation = information.Pipes[i];
        auto pipe = std::make_unique<Pipe>();
        pipe->handle = freshHandle();
        pipe->interfaceNumber = number;
        pipe->endpoint = endpoint;
        pipe->maximumTransferSize = pipeInformation.MaximumTransferSize != 0 ? pipeInformation.MaximumTransferSize
                                                                             : USBD_DEFAULT_MAXIMUM_TRANSFER_SIZE;
        pipeInformation.MaximumPacketSize = pipe->maxPacketSize();
        pipeInformation.EndpointAddress = endpoint.bEndpointAddress;
        pipeInformation.Interval = endpoint.bInterval;
        pipeInformation.PipeType = USBD_PIPE_TYPE(endpoint.bmAttributes & USB_ENDPOINT_TYPE_MASK);
        pipeInformation.PipeHandle = pipe->handle;
        port.pipes.push_back(std::move(pipe));
    }
    port.model->interfaceSelected(number, information.AlternateSetting);
}

void unconfigure(BusImpl& bus, Port& port, std::vector<Completion>& cancelled)
{
    bus.dropPipes(port, std::nullopt, cancelled);
    port.selected.clear();
    port.bandwidth.clear();
    port.interfaceHandles.clear();
    port.configurationHandle = nullptr;
    port.configurationValue = 0;
}

Outcome selectConfiguration(BusImpl& bus, Port& port, _URB_SELECT_CONFIGURATION& request,
                            std::vector<Completion>& cancelled)
{
    const std::size_t header = offsetof(_URB_SELECT_CONFIGURATION, Interface);
    if (request.Hdr.Length < header)
        return kInvalid;
    if (request.ConfigurationDescriptor == nullptr) {
        unconfigure(bus, port, cancelled);
        port.model->configurationSelected(0);
        return kSuccess;
    }
    if (!port.configuration ||
        request.ConfigurationDescriptor->bConfigurationValue != port.configuration->descriptor.bConfigurationValue)
        return kInvalid;
    // Check every record before changing anything.
    std::vector<std::pair<USBD_INTERFACE_INFORMATION*, const AlternateSetting*>> records;
    auto* position = reinterpret_cast<UCHAR*>(&request.Interface);
    std::size_t room = request.Hdr.Length - header;
    ULONG wanted = 0;
    for (UCHAR i = 0; i < port.configuration->descriptor.bNumInterfaces; ++i) {
        auto* information = reinterpret_cast<USBD_INTERFACE_INFORMATION*>(position);
        const AlternateSetting* setting = nullptr;
        const Outcome checked = checkInterface(port, *information, room, setting);
        if (!NT_SUCCESS(checked.status))
            return checked;
        records.push_back({information, setting});
        wanted += setting->periodicBandwidth();
        position += information->Length;
        room -= information->Length;
    }
    if (bus.bandwidthInUse() - port.bandwidthInUse() + wanted > bus.bandwidthLimit)
        return {USBD_STATUS_NO_BANDWIDTH, STATUS_INSUFFICIENT_RESOURCES};
    unconfigure(bus, port, cancelled);
    port.configurationValue = port.configuration->descriptor.bConfigurationValue;
    port.configurationHandle = freshHandle();
    request.ConfigurationHandle = port.configurationHandle;
    port.model->configurationSelected(port.configurationValue);
    for (auto& [information, setting] : records)
        applyInterface(port, *information, *setting);
    return kSuccess;
}

Outcome selectInterface(BusImpl& bus, Port& port, _URB_SELECT_INTERFACE& request,
                        std::vector<Completion>& cancelled)
{
    const std::size_t header = offsetof(_URB_SELECT_INTERFACE, Interface);
    if (request.Hdr.Length < header)
        return kInvalid;
    if (port.configurationValue == 0 || request.ConfigurationHandle != port.configurationHandle)
        return kInvalid;
    const AlternateSetting* setting = nullptr;
    const Outcome checked = checkInterface(port, request.Interface, request.Hdr.Length - header, setting);
    if (!NT_SUCCESS(checked.status))
        return checked;
    const UCHAR number = request.Interface.InterfaceNumber;
    const ULONG held = port.bandwidth.count(number) != 0 ? port.bandwidth[number] : 0;
    if (bus.bandwidthInUse() - held + setting->periodicBandwidth() > bus.bandwidthLimit)
        return {USBD_STATUS_NO_BANDWIDTH, STATUS_INSUFFICIENT_RESOURCES};
    bus.dropPipes(port, number, cancelled);
    applyInterface(port, request.Interface, *setting);
    return kSuccess;
}

Outcome resetPipe(Port& port, _URB_PIPE_REQUEST& request)
{
    if (request.Hdr.Length < sizeof request)
        return kInvalid;
    Pipe* pipe = port.findPipe(request.PipeHandle);
    if (pipe == nullptr)
        return {USBD_STATUS_INVALID_PIPE_HANDLE, STATUS_INVALID_PARAMETER};
    // A pipe is reset only when nothing is queued on it.
    if (!pipe->transfers.empty())
        return {USBD_STATUS_ERROR_BUSY, STATUS_DEVICE_BUSY};
    pipe->nextFreeFrame = 0;
    port.model->pipeReset(pipe->endpoint.bEndpointAddress);
    return kSuccess;
}

Outcome abortPipe(BusImpl& bus, Port& port, PIRP irp, _URB_PIPE_REQUEST& request, std::vector<Completion>& later)
{
    if (request.Hdr.Length < sizeof request)
        return kInvalid;
    Pipe* pipe = port.findPipe(request.PipeHandle);
    if (pipe == nullptr)
        return {USBD_STATUS_INVALID_PIPE_HANDLE, STATUS_INVALID_PARAMETER};
    std::vector<Pipe*> one{pipe};
    bus.drainTransfers(port, &one, USBD_STATUS_CANCELED, STATUS_CANCELLED, later);
    port.model->pipeAborted(pipe->endpoint.bEndpointAddress);
    // The abort itself completes on the bus thread after what it cancelled.
    IoMarkIrpPending(irp);
    later.push_back({irp, reinterpret_cast<PURB>(&request), USBD_STATUS_SUCCESS, STATUS_SUCCESS});
    return kPending;
}

Outcome isochronous(Port& port, PIRP irp, _URB_ISOCH_TRANSFER& request)
{
    const std::size_t header = offsetof(_URB_ISOCH_TRANSFER, IsoPacket);
    if (request.Hdr.Length < header)
        return kInvalid;
    Pipe* pipe = port.findPipe(request.PipeHandle);
    if (pipe == nullptr)
        return {USBD_STATUS_INVALID_PIPE_HANDLE, STATUS_INVALID_PARAMETER};
    if (!pipe->isochronousIn() || (request.TransferFlags & USBD_TRANSFER_DIRECTION_IN) == 0)
        return {USBD_STATUS_INVALID_PARAMETER, STATUS_NOT_SUPPORTED};
    const ULONG packets = request.NumberOfPackets;
    if (packets == 0 || packets > USBD_MAX_ISO_PACKETS ||
        request.Hdr.Length < header + packets * sizeof(USBD_ISO_PACKET_DESCRIPTOR))
        return kInvalid;
    auto* buffer = static_cast<UCHAR*>(bufferOf(request.TransferBuffer, request.TransferBufferMDL));
    if (buffer == nullptr)
        return kInvalid;
    for (ULONG i = 0; i < packets; ++i) {
        const ULONG end = i + 1 < packets ? request.IsoPacket[i + 1].Offset : request.TransferBufferLength;
        if (request.IsoPacket[i].Offset > end || end > request.TransferBufferLength)
            return kInvalid;
    }
    if (!port.enabled)
        return kNotResponding;
    const ULONGLONG now = frameNow();
    const ULONGLONG earliest = pipe->transfers.empty() ? now + 1 : std::max(pipe->nextFreeFrame, now + 1);
    ULONGLONG start = earliest;
    if ((request.TransferFlags & USBD_START_ISO_TRANSFER_ASAP) == 0) {
        // A 32-bit frame number near the current one.
        start = now + ULONGLONG(LONGLONG(LONG(request.StartFrame - ULONG(now))));
        if (start < earliest || start > now + kLargestScheduleAhead)
            return {USBD_STATUS_BAD_START_FRAME, STATUS_UNSUCCESSFUL};
    }
    request.StartFrame = ULONG(start);
    request.ErrorCount = 0;
    for (ULONG i = 0; i < packets; ++i) {
        request.IsoPacket[i].Length = 0;
        request.IsoPacket[i].Status = USBD_STATUS_NOT_ACCESSED;
    }
    IoMarkIrpPending(irp);
    pipe->transfers.push_back({irp, &request, buffer, start});
    pipe->nextFreeFrame = start + packets;
    return kPending;
}

Outcome submit(BusImpl& bus, Port& port, PIRP irp, URB& urb, std::vector<Completion>& later)
{
    if (!port.connected || !port.model)
        return kGone;
    switch (urb.UrbHeader.Function) {
    case URB_FUNCTION_GET_DESCRIPTOR_FROM_DEVICE:
        return getDescriptor(port, urb.UrbControlDescriptorRequest);
    case URB_FUNCTION_SELECT_CONFIGURATION:
        return selectConfiguration(bus, port, urb.UrbSelectConfiguration, later);
    case URB_FUNCTION_SELECT_INTERFACE:
        return selectInterface(bus, port, urb.UrbSelectInterface, later);
    case URB_FUNCTION_VENDOR_DEVICE:
    case URB_FUNCTION_VENDOR_INTERFACE:
    case URB_FUNCTION_VENDOR_ENDPOINT:
    case URB_FUNCTION_VENDOR_OTHER:
    case URB_FUNCTION_CLASS_DEVICE:
    case URB_FUNCTION_CLASS_INTERFACE:
    case URB_FUNCTION_CLASS_ENDPOINT:
    case URB_FUNCTION_CLASS_OTHER:
        return vendorOrClass(port, urb.UrbControlVendorClassRequest);
    case URB_FUNCTION_ISOCH_TRANSFER:
        return isochronous(port, irp, urb.UrbIsochronousTransfer);
    case URB_FUNCTION_ABORT_PIPE:
        return abortPipe(bus, port, irp, urb.UrbPipeRequest, later);
    case URB_FUNCTION_RESET_PIPE:
        return resetPipe(port, urb.UrbPipeRequest);
    case URB_FUNCTION_GET_CURRENT_FRAME_NUMBER:
        if (urb.UrbHeader.Length < sizeof(_URB_GET_CURRENT_FRAME_NUMBER))
            return kInvalid;
        urb.UrbGetCurrentFrameNumber.FrameNumber = ULONG(frameNow());
        return kSuccess;
    default:
        return {USBD_STATUS_INVALID_URB_FUNCTION, STATUS_INVALID_PARAMETER};
    }
}

NTSTATUS portControl(BusImpl& bus, Port& port, PIRP irp, ULONG code, PVOID argument)
{
    std::vector<Completion> cancelled;
    NTSTATUS status = STATUS_SUCCESS;
    {
        std::lock_guard<std::mutex> guard(bus.lock);
        if (code == IOCTL_INTERNAL_USB_GET_PORT_STATUS) {
            if (argument == nullptr)
                status = STATUS_INVALID_PARAMETER;
            else
                *static_cast<PULONG>(argument) =
                    (port.connected ? USBD_PORT_CONNECTED : 0) | (port.enabled ? USBD_PORT_ENABLED : 0);
        } else if (!port.connected) {
            status = STATUS_DEVICE_NOT_CONNECTED;
        } else if (code == IOCTL_INTERNAL_USB_ENABLE_PORT) {
            port.enabled = true;
        } else {  // IOCTL_INTERNAL_USB_RESET_PORT: the device forgets its configuration
            unconfigure(bus, port, cancelled);
            port.enabled = true;
            port.model->portReset();
        }
        bus.postCompletions(cancelled);
    }
    return finish(irp, nullptr, {USBD_STATUS_SUCCESS, status});
}

}  // namespace

NTSTATUS dispatchInternalControl(PDEVICE_OBJECT pdo, PIRP irp)
{
    auto* extension = static_cast<PdoExtension*>(pdo->DeviceExtension);
    BusImpl& bus = *extension->bus;
    Port& port = *extension->port;
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    PVOID argument = stack->Parameters.Others.Argument1;
    switch (code) {
    case IOCTL_INTERNAL_USB_GET_PORT_STATUS:
    case IOCTL_INTERNAL_USB_ENABLE_PORT:
    case IOCTL_INTERNAL_USB_RESET_PORT:
        return portControl(bus, port, irp, code, argument);
    case IOCTL_INTERNAL_USB_SUBMIT_URB:
        break;
    default:
        return finish(irp, nullptr, {USBD_STATUS_SUCCESS, STATUS_NOT_SUPPORTED});
    }
    auto* urb = static_cast<PURB>(argument);
    if (urb == nullptr || urb->UrbHeader.Length < sizeof(_URB_HEADER))
        return finish(irp, nullptr, kInvalid);
    std::vector<Completion> later;
    Outcome outcome;
    {
        std::lock_guard<std::mutex> guard(bus.lock);
        outcome = submit(bus, port, irp, *urb, later);
        if (outcome.status == STATUS_PENDING)
            urb->UrbHeader.Status = USBD_STATUS_PENDING;
        bus.postCompletions(later);
    }
    if (outcome.status == STATUS_PENDING)
        return STATUS_PENDING;
    return finish(irp, urb, outcome);
}

}  // namespace qm::usbd::detail
