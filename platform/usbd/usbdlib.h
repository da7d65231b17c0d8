// The USB driver library: walking a configuration descriptor and building
// the select-configuration request for the interfaces a driver picked.
#pragma once

#include "platform/usbd/urb.h"

namespace qm::usbd {

// The next descriptor of a type at or after `startPosition`, or null. Stops
// at the first malformed descriptor (length below 2 or past the end).
PUSB_COMMON_DESCRIPTOR USBD_ParseDescriptors(PVOID descriptorBuffer, ULONG totalLength, PVOID startPosition,
                                             LONG descriptorType);
// The first interface descriptor at or after `startPosition` that matches
// every criterion not given as -1.
PUSB_INTERFACE_DESCRIPTOR USBD_ParseConfigurationDescriptorEx(PUSB_CONFIGURATION_DESCRIPTOR configurationDescriptor,
                                                              PVOID startPosition, LONG interfaceNumber,
                                                              LONG alternateSetting, LONG interfaceClass,
                                                              LONG interfaceSubClass, LONG interfaceProtocol);
PUSB_INTERFACE_DESCRIPTOR USBD_ParseConfigurationDescriptor(PUSB_CONFIGURATION_DESCRIPTOR configurationDescriptor,
                                                            UCHAR interfaceNumber, UCHAR alternateSetting);

struct USBD_INTERFACE_LIST_ENTRY {
    PUSB_INTERFACE_DESCRIPTOR InterfaceDescriptor;  // in: the chosen setting; null ends the list
    PUSBD_INTERFACE_INFORMATION Interface;          // out: its record inside the request
};
using PUSBD_INTERFACE_LIST_ENTRY = USBD_INTERFACE_LIST_ENTRY*;

// A select-configuration URB from pool (free it with ExFreePool), with one
// interface record per list entry, each pipe's maximum transfer size set to
// USBD_DEFAULT_MAXIMUM_TRANSFER_SIZE. Null when out of memory.
PURB USBD_CreateConfigurationRequestEx(PUSB_CONFIGURATION_DESCRIPTOR configurationDescriptor,
                                       PUSBD_INTERFACE_LIST_ENTRY interfaceList);
// The older form: the first interface's alternate setting 0; `size` gets the URB's size.
PURB USBD_CreateConfigurationRequest(PUSB_CONFIGURATION_DESCRIPTOR configurationDescriptor, PUSHORT size);

}  // namespace qm::usbd
