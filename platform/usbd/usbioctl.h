// The USB stack's internal device controls. SUBMIT_URB carries the URB in
// Parameters.Others.Argument1; GET_PORT_STATUS a pointer to a ULONG that
// receives the USBD_PORT_* bits.
#pragma once

#include "platform/kernel/io.h"

namespace qm::usbd {

using namespace qm::kernel;

inline constexpr ULONG FILE_DEVICE_USB = FILE_DEVICE_UNKNOWN;
inline constexpr ULONG USB_SUBMIT_URB = 0;
inline constexpr ULONG USB_RESET_PORT = 1;
inline constexpr ULONG USB_GET_PORT_STATUS = 4;
inline constexpr ULONG USB_ENABLE_PORT = 5;

inline constexpr ULONG IOCTL_INTERNAL_USB_SUBMIT_URB =
    CTL_CODE(FILE_DEVICE_USB, USB_SUBMIT_URB, METHOD_NEITHER, FILE_ANY_ACCESS);
inline constexpr ULONG IOCTL_INTERNAL_USB_RESET_PORT =
    CTL_CODE(FILE_DEVICE_USB, USB_RESET_PORT, METHOD_NEITHER, FILE_ANY_ACCESS);
inline constexpr ULONG IOCTL_INTERNAL_USB_GET_PORT_STATUS =
    CTL_CODE(FILE_DEVICE_USB, USB_GET_PORT_STATUS, METHOD_NEITHER, FILE_ANY_ACCESS);
inline constexpr ULONG IOCTL_INTERNAL_USB_ENABLE_PORT =
    CTL_CODE(FILE_DEVICE_USB, USB_ENABLE_PORT, METHOD_NEITHER, FILE_ANY_ACCESS);

inline constexpr ULONG USBD_PORT_ENABLED = 0x00000001;
inline constexpr ULONG USBD_PORT_CONNECTED = 0x00000002;

}  // namespace qm::usbd
