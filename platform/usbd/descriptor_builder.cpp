#include "platform/usbd/descriptor_builder.h"

#include <algorithm>
#include <set>

namespace qm::usbd {

namespace {

template <typename Record>
void append(std::vector<std::uint8_t>& bytes, const Record& record)
{
    const auto* first = reinterpret_cast<const std::uint8_t*>(&record);
    bytes.insert(bytes.end(), first, first + sizeof record);
}

}  // namespace

std::vector<std::uint8_t> makeDeviceDescriptor(const DeviceIdentity& identity)
{
    USB_DEVICE_DESCRIPTOR descriptor{};
    descriptor.bLength = sizeof descriptor;
    descriptor.bDescriptorType = USB_DEVICE_DESCRIPTOR_TYPE;
    descriptor.bcdUSB = identity.bcdUSB;
    descriptor.bDeviceClass = identity.bDeviceClass;
    descriptor.bMaxPacketSize0 = identity.bMaxPacketSize0;
    descriptor.idVendor = identity.idVendor;
    descriptor.idProduct = identity.idProduct;
    descriptor.bcdDevice = identity.bcdDevice;
    descriptor.iManufacturer = identity.iManufacturer;
    descriptor.iProduct = identity.iProduct;
    descriptor.iSerialNumber = identity.iSerialNumber;
    descriptor.bNumConfigurations = 1;
    std::vector<std::uint8_t> bytes;
    append(bytes, descriptor);
    return bytes;
}

std::vector<std::uint8_t> makeStringDescriptor(std::u16string_view text)
{
    // bLength is one byte: at most 126 characters fit.
    const std::size_t characters = std::min<std::size_t>(text.size(), 126);
    std::vector<std::uint8_t> bytes{std::uint8_t(2 + 2 * characters), USB_STRING_DESCRIPTOR_TYPE};
    for (std::size_t i = 0; i < characters; ++i) {
        bytes.push_back(std::uint8_t(text[i]));
        bytes.push_back(std::uint8_t(text[i] >> 8));
    }
    return bytes;
}

ConfigurationBuilder::ConfigurationBuilder(UCHAR configurationValue, UCHAR bmAttributes, UCHAR maxPower)
{
    configuration_.bLength = sizeof configuration_;
    configuration_.bDescriptorType = USB_CONFIGURATION_DESCRIPTOR_TYPE;
    configuration_.bConfigurationValue = configurationValue;
    configuration_.bmAttributes = bmAttributes;
    configuration_.MaxPower = maxPower;
}

ConfigurationBuilder& ConfigurationBuilder::interface(UCHAR number, UCHAR alternateSetting, UCHAR interfaceClass,
                                                      UCHAR subClass, UCHAR protocol)
{
    USB_INTERFACE_DESCRIPTOR descriptor{};
    descriptor.bLength = sizeof descriptor;
    descriptor.bDescriptorType = USB_INTERFACE_DESCRIPTOR_TYPE;
    descriptor.bInterfaceNumber = number;
    descriptor.bAlternateSetting = alternateSetting;
    descriptor.bInterfaceClass = interfaceClass;
    descriptor.bInterfaceSubClass = subClass;
    descriptor.bInterfaceProtocol = protocol;
    interfaces_.push_back({descriptor, {}});
    return *this;
}

ConfigurationBuilder& ConfigurationBuilder::endpoint(UCHAR address, UCHAR bmAttributes, USHORT maxPacketSize,
                                                     UCHAR interval)
{
    if (interfaces_.empty())
        interface(0, 0);
    USB_ENDPOINT_DESCRIPTOR descriptor{};
    descriptor.bLength = sizeof descriptor;
    descriptor.bDescriptorType = USB_ENDPOINT_DESCRIPTOR_TYPE;
    descriptor.bEndpointAddress = address;
    descriptor.bmAttributes = bmAttributes;
    descriptor.wMaxPacketSize = maxPacketSize;
    descriptor.bInterval = interval;
    interfaces_.back().endpoints.push_back(descriptor);
    return *this;
}

std::vector<std::uint8_t> ConfigurationBuilder::build() const
{
    USB_CONFIGURATION_DESCRIPTOR configuration = configuration_;
    std::set<UCHAR> numbers;
    std::size_t total = sizeof configuration;
    for (const Interface& entry : interfaces_) {
        numbers.insert(entry.descriptor.bInterfaceNumber);
        total += sizeof(USB_INTERFACE_DESCRIPTOR) + entry.endpoints.size() * sizeof(USB_ENDPOINT_DESCRIPTOR);
    }
    configuration.bNumInterfaces = UCHAR(numbers.size());
    configuration.wTotalLength = USHORT(total);

    std::vector<std::uint8_t> bytes;
    bytes.reserve(total);
    append(bytes, configuration);
    for (const Interface& entry : interfaces_) {
        USB_INTERFACE_DESCRIPTOR descriptor = entry.descriptor;
        descriptor.bNumEndpoints = UCHAR(entry.endpoints.size());
        append(bytes, descriptor);
        for (const USB_ENDPOINT_DESCRIPTOR& endpoint : entry.endpoints)
            append(bytes, endpoint);
    }
    return bytes;
}

}  // namespace qm::usbd
