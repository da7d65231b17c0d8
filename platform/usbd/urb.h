// USB request blocks: what a function driver asks of the USB stack, sent
// down with IOCTL_INTERNAL_USB_SUBMIT_URB. Layouts are the platform's, with
// this host's pointer size: compute sizes with the GET_*_SIZE helpers and
// sizeof, never with 32-bit constants.
#pragma once

#include <cstddef>

#include "platform/kernel/io.h"
#include "platform/usbd/usb100.h"
#include "platform/usbd/usbd_status.h"

namespace qm::usbd {

using USBD_PIPE_HANDLE = PVOID;
using USBD_CONFIGURATION_HANDLE = PVOID;
using USBD_INTERFACE_HANDLE = PVOID;

enum USBD_PIPE_TYPE {
    UsbdPipeTypeControl = 0,
    UsbdPipeTypeIsochronous = 1,
    UsbdPipeTypeBulk = 2,
    UsbdPipeTypeInterrupt = 3,
};

// URB functions.
inline constexpr USHORT URB_FUNCTION_SELECT_CONFIGURATION = 0x0000;
inline constexpr USHORT URB_FUNCTION_SELECT_INTERFACE = 0x0001;
inline constexpr USHORT URB_FUNCTION_ABORT_PIPE = 0x0002;
inline constexpr USHORT URB_FUNCTION_GET_CURRENT_FRAME_NUMBER = 0x0007;
inline constexpr USHORT URB_FUNCTION_CONTROL_TRANSFER = 0x0008;
inline constexpr USHORT URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER = 0x0009;
inline constexpr USHORT URB_FUNCTION_ISOCH_TRANSFER = 0x000A;
inline constexpr USHORT URB_FUNCTION_GET_DESCRIPTOR_FROM_DEVICE = 0x000B;
inline constexpr USHORT URB_FUNCTION_VENDOR_DEVICE = 0x0017;
inline constexpr USHORT URB_FUNCTION_VENDOR_INTERFACE = 0x0018;
inline constexpr USHORT URB_FUNCTION_VENDOR_ENDPOINT = 0x0019;
inline constexpr USHORT URB_FUNCTION_CLASS_DEVICE = 0x001A;
inline constexpr USHORT URB_FUNCTION_CLASS_INTERFACE = 0x001B;
inline constexpr USHORT URB_FUNCTION_CLASS_ENDPOINT = 0x001C;
inline constexpr USHORT URB_FUNCTION_RESET_PIPE = 0x001E;
inline constexpr USHORT URB_FUNCTION_VENDOR_OTHER = 0x0020;
inline constexpr USHORT URB_FUNCTION_CLASS_OTHER = 0x001F;

// Transfer flags.
inline constexpr ULONG USBD_TRANSFER_DIRECTION_OUT = 0;
inline constexpr ULONG USBD_TRANSFER_DIRECTION_IN = 1;
inline constexpr ULONG USBD_SHORT_TRANSFER_OK = 2;
inline constexpr ULONG USBD_START_ISO_TRANSFER_ASAP = 4;

inline constexpr ULONG USBD_DEFAULT_MAXIMUM_TRANSFER_SIZE = 4096;
// Isochronous transfers carry at most this many packets.
inline constexpr ULONG USBD_MAX_ISO_PACKETS = 255;

struct USBD_PIPE_INFORMATION {
    USHORT MaximumPacketSize;
    UCHAR EndpointAddress;
    UCHAR Interval;
    USBD_PIPE_TYPE PipeType;
    USBD_PIPE_HANDLE PipeHandle;
    ULONG MaximumTransferSize;  // set by the driver before selecting
    ULONG PipeFlags;
};
using PUSBD_PIPE_INFORMATION = USBD_PIPE_INFORMATION*;

// Variable length: Length covers NumberOfPipes pipe records.
struct USBD_INTERFACE_INFORMATION {
    USHORT Length;
    UCHAR InterfaceNumber;
    UCHAR AlternateSetting;
    UCHAR Class;
    UCHAR SubClass;
    UCHAR Protocol;
    UCHAR Reserved;
    USBD_INTERFACE_HANDLE InterfaceHandle;
    ULONG NumberOfPipes;
    USBD_PIPE_INFORMATION Pipes[1];
};
using PUSBD_INTERFACE_INFORMATION = USBD_INTERFACE_INFORMATION*;

constexpr USHORT GET_USBD_INTERFACE_SIZE(ULONG numberOfEndpoints)
{
    return USHORT(sizeof(USBD_INTERFACE_INFORMATION) + sizeof(USBD_PIPE_INFORMATION) * numberOfEndpoints -
                  sizeof(USBD_PIPE_INFORMATION));
}

struct USBD_ISO_PACKET_DESCRIPTOR {
    ULONG Offset;        // set by the driver
    ULONG Length;        // bytes received
    USBD_STATUS Status;  // per packet
};
using PUSBD_ISO_PACKET_DESCRIPTOR = USBD_ISO_PACKET_DESCRIPTOR*;

union URB;

struct _URB_HEADER {
    USHORT Length;
    USHORT Function;
    USBD_STATUS Status;
    PVOID UsbdDeviceHandle;
    ULONG UsbdFlags;
};

struct _URB_HCD_AREA {
    PVOID Reserved8[8];
};

struct _URB_SELECT_INTERFACE {
    _URB_HEADER Hdr;
    USBD_CONFIGURATION_HANDLE ConfigurationHandle;
    USBD_INTERFACE_INFORMATION Interface;
};

struct _URB_SELECT_CONFIGURATION {
    _URB_HEADER Hdr;
    PUSB_CONFIGURATION_DESCRIPTOR ConfigurationDescriptor;  // null: unconfigure
    USBD_CONFIGURATION_HANDLE ConfigurationHandle;
    USBD_INTERFACE_INFORMATION Interface;  // one per interface follows
};

struct _URB_PIPE_REQUEST {
    _URB_HEADER Hdr;
    USBD_PIPE_HANDLE PipeHandle;
    ULONG Reserved;
};

struct _URB_GET_CURRENT_FRAME_NUMBER {
    _URB_HEADER Hdr;
    ULONG FrameNumber;
};

struct _URB_CONTROL_DESCRIPTOR_REQUEST {
    _URB_HEADER Hdr;
    PVOID Reserved;
    ULONG Reserved0;
    ULONG TransferBufferLength;
    PVOID TransferBuffer;
    PMDL TransferBufferMDL;
    URB* UrbLink;
    _URB_HCD_AREA hca;
    USHORT Reserved1;
    UCHAR Index;
    UCHAR DescriptorType;
    USHORT LanguageId;
    USHORT Reserved2;
};

struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST {
    _URB_HEADER Hdr;
    PVOID Reserved;
    ULONG TransferFlags;
    ULONG TransferBufferLength;
    PVOID TransferBuffer;
    PMDL TransferBufferMDL;
    URB* UrbLink;
    _URB_HCD_AREA hca;
    UCHAR RequestTypeReservedBits;
    UCHAR Request;
    USHORT Value;
    USHORT Index;
    USHORT Reserved1;
};

struct _URB_ISOCH_TRANSFER {
    _URB_HEADER Hdr;
    USBD_PIPE_HANDLE PipeHandle;
    ULONG TransferFlags;
    ULONG TransferBufferLength;
    PVOID TransferBuffer;
    PMDL TransferBufferMDL;
    URB* UrbLink;
    _URB_HCD_AREA hca;
    ULONG StartFrame;
    ULONG NumberOfPackets;
    ULONG ErrorCount;
    USBD_ISO_PACKET_DESCRIPTOR IsoPacket[1];
};

union URB {
    _URB_HEADER UrbHeader;
    _URB_SELECT_INTERFACE UrbSelectInterface;
    _URB_SELECT_CONFIGURATION UrbSelectConfiguration;
    _URB_PIPE_REQUEST UrbPipeRequest;
    _URB_GET_CURRENT_FRAME_NUMBER UrbGetCurrentFrameNumber;
    _URB_CONTROL_DESCRIPTOR_REQUEST UrbControlDescriptorRequest;
    _URB_CONTROL_VENDOR_OR_CLASS_REQUEST UrbControlVendorClassRequest;
    _URB_ISOCH_TRANSFER UrbIsochronousTransfer;
};
using PURB = URB*;

constexpr std::size_t GET_ISO_URB_SIZE(ULONG numberOfPackets)
{
    return sizeof(_URB_ISOCH_TRANSFER) + numberOfPackets * sizeof(USBD_ISO_PACKET_DESCRIPTOR);
}

constexpr std::size_t GET_SELECT_INTERFACE_REQUEST_SIZE(ULONG totalPipes)
{
    return sizeof(_URB_SELECT_INTERFACE) + (totalPipes > 0 ? totalPipes - 1 : 0) * sizeof(USBD_PIPE_INFORMATION);
}

constexpr std::size_t GET_SELECT_CONFIGURATION_REQUEST_SIZE(ULONG totalInterfaces, ULONG totalPipes)
{
    return sizeof(_URB_SELECT_CONFIGURATION) +
           (totalInterfaces > 0 ? totalInterfaces - 1 : 0) * sizeof(USBD_INTERFACE_INFORMATION) +
           (totalPipes > totalInterfaces ? totalPipes - totalInterfaces : 0) * sizeof(USBD_PIPE_INFORMATION);
}

inline void UsbBuildGetDescriptorRequest(PURB urb, USHORT length, UCHAR descriptorType, UCHAR descriptorIndex,
                                         USHORT languageId, PVOID transferBuffer, PMDL transferBufferMdl,
                                         ULONG transferBufferLength, PURB link)
{
    auto& request = urb->UrbControlDescriptorRequest;
    request.Hdr.Function = URB_FUNCTION_GET_DESCRIPTOR_FROM_DEVICE;
    request.Hdr.Length = length;
    request.TransferBufferLength = transferBufferLength;
    request.TransferBufferMDL = transferBufferMdl;
    request.TransferBuffer = transferBuffer;
    request.DescriptorType = descriptorType;
    request.Index = descriptorIndex;
    request.LanguageId = languageId;
    request.UrbLink = link;
}

inline void UsbBuildVendorRequest(PURB urb, USHORT function, USHORT length, ULONG transferFlags,
                                  UCHAR reservedBits, UCHAR request, USHORT value, USHORT index,
                                  PVOID transferBuffer, PMDL transferBufferMdl, ULONG transferBufferLength,
                                  PURB link)
{
    auto& vendor = urb->UrbControlVendorClassRequest;
    vendor.Hdr.Function = function;
    vendor.Hdr.Length = length;
    vendor.TransferBufferLength = transferBufferLength;
    vendor.TransferBufferMDL = transferBufferMdl;
    vendor.TransferBuffer = transferBuffer;
    vendor.RequestTypeReservedBits = reservedBits;
    vendor.Request = request;
    vendor.Value = value;
    vendor.Index = index;
    vendor.TransferFlags = transferFlags;
    vendor.UrbLink = link;
}

inline void UsbBuildSelectConfigurationRequest(PURB urb, USHORT length,
                                               PUSB_CONFIGURATION_DESCRIPTOR configurationDescriptor)
{
    urb->UrbHeader.Function = URB_FUNCTION_SELECT_CONFIGURATION;
    urb->UrbHeader.Length = length;
    urb->UrbSelectConfiguration.ConfigurationDescriptor = configurationDescriptor;
}

inline void UsbBuildSelectInterfaceRequest(PURB urb, USHORT length, USBD_CONFIGURATION_HANDLE configurationHandle,
                                           UCHAR interfaceNumber, UCHAR alternateSetting)
{
    urb->UrbHeader.Function = URB_FUNCTION_SELECT_INTERFACE;
    urb->UrbHeader.Length = length;
    urb->UrbSelectInterface.Interface.AlternateSetting = alternateSetting;
    urb->UrbSelectInterface.Interface.InterfaceNumber = interfaceNumber;
    urb->UrbSelectInterface.Interface.Length =
        USHORT(length - offsetof(_URB_SELECT_INTERFACE, Interface));
    urb->UrbSelectInterface.ConfigurationHandle = configurationHandle;
}

}  // namespace qm::usbd
