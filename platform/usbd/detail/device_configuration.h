// A device's configuration descriptor read into its interfaces, alternate
// settings and endpoints, for the bus's own bookkeeping.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/usbd/usb100.h"

namespace qm::usbd::detail {

struct AlternateSetting {
    USB_INTERFACE_DESCRIPTOR descriptor;
    std::vector<USB_ENDPOINT_DESCRIPTOR> endpoints;

    // Isochronous and interrupt bytes per frame this setting reserves.
    ULONG periodicBandwidth() const;
};

struct DeviceConfiguration {
    USB_CONFIGURATION_DESCRIPTOR descriptor{};
    std::vector<AlternateSetting> settings;

    const AlternateSetting* find(UCHAR interfaceNumber, UCHAR alternateSetting) const;
    std::vector<UCHAR> interfaceNumbers() const;
};

// Null when the bytes are not a configuration descriptor; descriptors after
// a malformed one are ignored.
std::optional<DeviceConfiguration> parseConfiguration(std::span<const std::uint8_t> bytes);

}  // namespace qm::usbd::detail
