#include "platform/usbd/detail/device_configuration.h"

#include <algorithm>
#include <cstring>

namespace qm::usbd::detail {

ULONG AlternateSetting::periodicBandwidth() const
{
    ULONG bytes = 0;
    for (const USB_ENDPOINT_DESCRIPTOR& endpoint : endpoints) {
        const UCHAR type = endpoint.bmAttributes & USB_ENDPOINT_TYPE_MASK;
        if (type == USB_ENDPOINT_TYPE_ISOCHRONOUS || type == USB_ENDPOINT_TYPE_INTERRUPT)
            bytes += endpoint.wMaxPacketSize & 0x7FF;
    }
    return bytes;
}

const AlternateSetting* DeviceConfiguration::find(UCHAR interfaceNumber, UCHAR alternateSetting) const
{
    for (const AlternateSetting& setting : settings)
        if (setting.descriptor.bInterfaceNumber == interfaceNumber &&
            setting.descriptor.bAlternateSetting == alternateSetting)
            return &setting;
    return nullptr;
}

std::vector<UCHAR> DeviceConfiguration::interfaceNumbers() const
{
    std::vector<UCHAR> numbers;
    for (const AlternateSetting& setting : settings)
        if (std::find(numbers.begin(), numbers.end(), setting.descriptor.bInterfaceNumber) == numbers.end())
            numbers.push_back(setting.descriptor.bInterfaceNumber);
    return numbers;
}

std::optional<DeviceConfiguration> parseConfiguration(std::span<const std::uint8_t> bytes)
{
    DeviceConfiguration configuration;
    if (bytes.size() < sizeof(USB_CONFIGURATION_DESCRIPTOR))
        return std::nullopt;
    std::memcpy(&configuration.descriptor, bytes.data(), sizeof configuration.descriptor);
    if (configuration.descriptor.bDescriptorType != USB_CONFIGURATION_DESCRIPTOR_TYPE ||
        configuration.descriptor.bLength < sizeof(USB_CONFIGURATION_DESCRIPTOR))
        return std::nullopt;
    const std::size_t total = std::min<std::size_t>(configuration.descriptor.wTotalLength, bytes.size());
    std::size_t position = configuration.descriptor.bLength;
    while (position + 2 <= total) {
        const UCHAR length = bytes[position];
        const UCHAR type = bytes[position + 1];
        if (length < 2 || position + length > total)
            break;
        if (type == USB_INTERFACE_DESCRIPTOR_TYPE && length >= sizeof(USB_INTERFACE_DESCRIPTOR)) {
            AlternateSetting setting{};
            std::memcpy(&setting.descriptor, bytes.data() + position, sizeof setting.descriptor);
            configuration.settings.push_back(setting);
        } else if (type == USB_ENDPOINT_DESCRIPTOR_TYPE && length >= sizeof(USB_ENDPOINT_DESCRIPTOR) &&
                   !configuration.settings.empty()) {
            USB_ENDPOINT_DESCRIPTOR endpoint;
            std::memcpy(&endpoint, bytes.data() + position, sizeof endpoint);
            configuration.settings.back().endpoints.push_back(endpoint);
        }
        position += length;
    }
    return configuration;
}

}  // namespace qm::usbd::detail
