// USB 1.x descriptors as they travel on the wire: packed, little-endian
// (the host is little-endian, which the static_asserts below pin down).
#pragma once

#include <bit>

#include "platform/kernel/nt_types.h"

static_assert(std::endian::native == std::endian::little, "USB descriptors are read in place");

namespace qm::usbd {

using namespace qm::kernel;

inline constexpr UCHAR USB_DEVICE_DESCRIPTOR_TYPE = 0x01;
inline constexpr UCHAR USB_CONFIGURATION_DESCRIPTOR_TYPE = 0x02;
inline constexpr UCHAR USB_STRING_DESCRIPTOR_TYPE = 0x03;
inline constexpr UCHAR USB_INTERFACE_DESCRIPTOR_TYPE = 0x04;
inline constexpr UCHAR USB_ENDPOINT_DESCRIPTOR_TYPE = 0x05;

inline constexpr UCHAR USB_ENDPOINT_DIRECTION_MASK = 0x80;
inline constexpr UCHAR USB_ENDPOINT_TYPE_MASK = 0x03;
inline constexpr UCHAR USB_ENDPOINT_TYPE_CONTROL = 0x00;
inline constexpr UCHAR USB_ENDPOINT_TYPE_ISOCHRONOUS = 0x01;
inline constexpr UCHAR USB_ENDPOINT_TYPE_BULK = 0x02;
inline constexpr UCHAR USB_ENDPOINT_TYPE_INTERRUPT = 0x03;

inline constexpr bool USB_ENDPOINT_DIRECTION_IN(UCHAR address) { return (address & USB_ENDPOINT_DIRECTION_MASK) != 0; }
inline constexpr bool USB_ENDPOINT_DIRECTION_OUT(UCHAR address) { return (address & USB_ENDPOINT_DIRECTION_MASK) == 0; }

// Standard requests (bRequest) and the parts of bmRequestType.
inline constexpr UCHAR USB_REQUEST_GET_STATUS = 0x00;
inline constexpr UCHAR USB_REQUEST_CLEAR_FEATURE = 0x01;
inline constexpr UCHAR USB_REQUEST_SET_FEATURE = 0x03;
inline constexpr UCHAR USB_REQUEST_SET_ADDRESS = 0x05;
inline constexpr UCHAR USB_REQUEST_GET_DESCRIPTOR = 0x06;
inline constexpr UCHAR USB_REQUEST_SET_DESCRIPTOR = 0x07;
inline constexpr UCHAR USB_REQUEST_GET_CONFIGURATION = 0x08;
inline constexpr UCHAR USB_REQUEST_SET_CONFIGURATION = 0x09;
inline constexpr UCHAR USB_REQUEST_GET_INTERFACE = 0x0A;
inline constexpr UCHAR USB_REQUEST_SET_INTERFACE = 0x0B;

inline constexpr UCHAR BMREQUEST_HOST_TO_DEVICE = 0x00;
inline constexpr UCHAR BMREQUEST_DEVICE_TO_HOST = 0x80;
inline constexpr UCHAR BMREQUEST_STANDARD = 0x00;
inline constexpr UCHAR BMREQUEST_CLASS = 0x20;
inline constexpr UCHAR BMREQUEST_VENDOR = 0x40;
inline constexpr UCHAR BMREQUEST_TO_DEVICE = 0x00;
inline constexpr UCHAR BMREQUEST_TO_INTERFACE = 0x01;
inline constexpr UCHAR BMREQUEST_TO_ENDPOINT = 0x02;
inline constexpr UCHAR BMREQUEST_TO_OTHER = 0x03;

#pragma pack(push, 1)

struct USB_COMMON_DESCRIPTOR {
    UCHAR bLength;
    UCHAR bDescriptorType;
};
static_assert(sizeof(USB_COMMON_DESCRIPTOR) == 2);

struct USB_DEVICE_DESCRIPTOR {
    UCHAR bLength;
    UCHAR bDescriptorType;
    USHORT bcdUSB;
    UCHAR bDeviceClass;
    UCHAR bDeviceSubClass;
    UCHAR bDeviceProtocol;
    UCHAR bMaxPacketSize0;
    USHORT idVendor;
    USHORT idProduct;
    USHORT bcdDevice;
    UCHAR iManufacturer;
    UCHAR iProduct;
    UCHAR iSerialNumber;
    UCHAR bNumConfigurations;
};
static_assert(sizeof(USB_DEVICE_DESCRIPTOR) == 18);

struct USB_CONFIGURATION_DESCRIPTOR {
    UCHAR bLength;
    UCHAR bDescriptorType;
    USHORT wTotalLength;
    UCHAR bNumInterfaces;
    UCHAR bConfigurationValue;
    UCHAR iConfiguration;
    UCHAR bmAttributes;
    UCHAR MaxPower;
};
static_assert(sizeof(USB_CONFIGURATION_DESCRIPTOR) == 9);

struct USB_INTERFACE_DESCRIPTOR {
    UCHAR bLength;
    UCHAR bDescriptorType;
    UCHAR bInterfaceNumber;
    UCHAR bAlternateSetting;
    UCHAR bNumEndpoints;
    UCHAR bInterfaceClass;
    UCHAR bInterfaceSubClass;
    UCHAR bInterfaceProtocol;
    UCHAR iInterface;
};
static_assert(sizeof(USB_INTERFACE_DESCRIPTOR) == 9);

struct USB_ENDPOINT_DESCRIPTOR {
    UCHAR bLength;
    UCHAR bDescriptorType;
    UCHAR bEndpointAddress;
    UCHAR bmAttributes;
    USHORT wMaxPacketSize;
    UCHAR bInterval;
};
static_assert(sizeof(USB_ENDPOINT_DESCRIPTOR) == 7);

struct USB_STRING_DESCRIPTOR {
    UCHAR bLength;
    UCHAR bDescriptorType;
    WCHAR bString[1];
};

#pragma pack(pop)

using PUSB_COMMON_DESCRIPTOR = USB_COMMON_DESCRIPTOR*;
using PUSB_DEVICE_DESCRIPTOR = USB_DEVICE_DESCRIPTOR*;
using PUSB_CONFIGURATION_DESCRIPTOR = USB_CONFIGURATION_DESCRIPTOR*;
using PUSB_INTERFACE_DESCRIPTOR = USB_INTERFACE_DESCRIPTOR*;
using PUSB_ENDPOINT_DESCRIPTOR = USB_ENDPOINT_DESCRIPTOR*;

}  // namespace qm::usbd
