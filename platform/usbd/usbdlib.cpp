#include "platform/usbd/usbdlib.h"

#include <cstring>

#include "platform/kernel/pool.h"

namespace qm::usbd {

namespace {

inline constexpr ULONG kUsbdTag = makePoolTag("USBD");

// Descriptors of a configuration: [first, end), with every step checked.
struct DescriptorWalk {
    UCHAR* first;
    UCHAR* end;

    // The descriptor at `at` if it is whole, else null.
    PUSB_COMMON_DESCRIPTOR at(UCHAR* position) const
    {
        if (position < first || end - position < std::ptrdiff_t(sizeof(USB_COMMON_DESCRIPTOR)))
            return nullptr;
        auto* descriptor = reinterpret_cast<PUSB_COMMON_DESCRIPTOR>(position);
        if (descriptor->bLength < sizeof(USB_COMMON_DESCRIPTOR) || descriptor->bLength > end - position)
            return nullptr;
        return descriptor;
    }
};

DescriptorWalk walkOf(PUSB_CONFIGURATION_DESCRIPTOR configuration)
{
    auto* first = reinterpret_cast<UCHAR*>(configuration);
    return {first, first + configuration->wTotalLength};
}

}  // namespace

PUSB_COMMON_DESCRIPTOR USBD_ParseDescriptors(PVOID descriptorBuffer, ULONG totalLength, PVOID startPosition,
                                             LONG descriptorType)
{
    if (descriptorBuffer == nullptr)
        return nullptr;
    DescriptorWalk walk{static_cast<UCHAR*>(descriptorBuffer), static_cast<UCHAR*>(descriptorBuffer) + totalLength};
    auto* position = static_cast<UCHAR*>(startPosition);
    while (PUSB_COMMON_DESCRIPTOR descriptor = walk.at(position)) {
        if (descriptor->bDescriptorType == descriptorType)
            return descriptor;
        position += descriptor->bLength;
    }
    return nullptr;
}

PUSB_INTERFACE_DESCRIPTOR USBD_ParseConfigurationDescriptorEx(PUSB_CONFIGURATION_DESCRIPTOR configurationDescriptor,
                                                              PVOID startPosition, LONG interfaceNumber,
                                                              LONG alternateSetting, LONG interfaceClass,
                                                              LONG interfaceSubClass, LONG interfaceProtocol)
{
    if (configurationDescriptor == nullptr)
        return nullptr;
    const DescriptorWalk walk = walkOf(configurationDescriptor);
    auto* position = startPosition != nullptr ? static_cast<UCHAR*>(startPosition) : walk.first;
    auto matches = [](LONG wanted, UCHAR actual) { return wanted == -1 || wanted == actual; };
    while (PUSB_COMMON_DESCRIPTOR descriptor = walk.at(position)) {
        position += descriptor->bLength;
        if (descriptor->bDescriptorType != USB_INTERFACE_DESCRIPTOR_TYPE ||
            descriptor->bLength < sizeof(USB_INTERFACE_DESCRIPTOR))
            continue;
        auto* candidate = reinterpret_cast<PUSB_INTERFACE_DESCRIPTOR>(descriptor);
        if (matches(interfaceNumber, candidate->bInterfaceNumber) &&
            matches(alternateSetting, candidate->bAlternateSetting) &&
            matches(interfaceClass, candidate->bInterfaceClass) &&
            matches(interfaceSubClass, candidate->bInterfaceSubClass) &&
            matches(interfaceProtocol, candidate->bInterfaceProtocol))
            return candidate;
    }
    return nullptr;
}

PUSB_INTERFACE_DESCRIPTOR USBD_ParseConfigurationDescriptor(PUSB_CONFIGURATION_DESCRIPTOR configurationDescriptor,
                                                            UCHAR interfaceNumber, UCHAR alternateSetting)
{
    return USBD_ParseConfigurationDescriptorEx(configurationDescriptor, configurationDescriptor, interfaceNumber,
                                               alternateSetting, -1, -1, -1);
}

PURB USBD_CreateConfigurationRequestEx(PUSB_CONFIGURATION_DESCRIPTOR configurationDescriptor,
                                       PUSBD_INTERFACE_LIST_ENTRY interfaceList)
{
    if (configurationDescriptor == nullptr || interfaceList == nullptr)
        return nullptr;
    ULONG interfaces = 0;
    std::size_t size = offsetof(_URB_SELECT_CONFIGURATION, Interface);
    for (PUSBD_INTERFACE_LIST_ENTRY entry = interfaceList; entry->InterfaceDescriptor != nullptr; ++entry) {
        ++interfaces;
        size += GET_USBD_INTERFACE_SIZE(entry->InterfaceDescriptor->bNumEndpoints);
    }
    if (interfaces == 0 || size > 0xFFFF)
        return nullptr;
    auto* urb = static_cast<PURB>(ExAllocatePoolWithTag(NonPagedPool, size, kUsbdTag));
    if (urb == nullptr)
        return nullptr;
    std::memset(urb, 0, size);
    auto* record = reinterpret_cast<UCHAR*>(&urb->UrbSelectConfiguration.Interface);
    for (PUSBD_INTERFACE_LIST_ENTRY entry = interfaceList; entry->InterfaceDescriptor != nullptr; ++entry) {
        const PUSB_INTERFACE_DESCRIPTOR descriptor = entry->InterfaceDescriptor;
        auto* information = reinterpret_cast<PUSBD_INTERFACE_INFORMATION>(record);
        information->Length = GET_USBD_INTERFACE_SIZE(descriptor->bNumEndpoints);
        information->InterfaceNumber = descriptor->bInterfaceNumber;
        information->AlternateSetting = descriptor->bAlternateSetting;
        information->NumberOfPipes = descriptor->bNumEndpoints;
        for (ULONG pipe = 0; pipe < descriptor->bNumEndpoints; ++pipe)
            information->Pipes[pipe].MaximumTransferSize = USBD_DEFAULT_MAXIMUM_TRANSFER_SIZE;
        entry->Interface = information;
        record += information->Length;
    }
    UsbBuildSelectConfigurationRequest(urb, USHORT(size), configurationDescriptor);
    return urb;
}

PURB USBD_CreateConfigurationRequest(PUSB_CONFIGURATION_DESCRIPTOR configurationDescriptor, PUSHORT size)
{
    USBD_INTERFACE_LIST_ENTRY list[2] = {};
    list[0].InterfaceDescriptor =
        USBD_ParseConfigurationDescriptorEx(configurationDescriptor, configurationDescriptor, -1, 0, -1, -1, -1);
    PURB urb = USBD_CreateConfigurationRequestEx(configurationDescriptor, list);
    if (size != nullptr)
        *size = urb != nullptr ? urb->UrbHeader.Length : 0;
    return urb;
}

}  // namespace qm::usbd
