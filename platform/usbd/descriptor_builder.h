// Builds descriptor bytes for device models: a device descriptor and a
// configuration descriptor with its interfaces, alternate settings and
// endpoints, with the lengths and counts filled in.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/usbd/usb100.h"

namespace qm::usbd {

struct DeviceIdentity {
    USHORT idVendor = 0;
    USHORT idProduct = 0;
    USHORT bcdDevice = 0x0100;
    USHORT bcdUSB = 0x0110;
    UCHAR bDeviceClass = 0;
    UCHAR bMaxPacketSize0 = 8;
    UCHAR iManufacturer = 0;
    UCHAR iProduct = 0;
    UCHAR iSerialNumber = 0;
};

std::vector<std::uint8_t> makeDeviceDescriptor(const DeviceIdentity& identity);
// A string descriptor; index 0 is the language list (pass u"\x0409").
std::vector<std::uint8_t> makeStringDescriptor(std::u16string_view text);

class ConfigurationBuilder {
public:
    explicit ConfigurationBuilder(UCHAR configurationValue = 1, UCHAR bmAttributes = 0x80, UCHAR maxPower = 250);

    // Starts an interface descriptor (one per alternate setting); endpoints
    // added next belong to it.
    ConfigurationBuilder& interface(UCHAR number, UCHAR alternateSetting, UCHAR interfaceClass = 0xFF,
                                    UCHAR subClass = 0, UCHAR protocol = 0);
    ConfigurationBuilder& endpoint(UCHAR address, UCHAR bmAttributes, USHORT maxPacketSize, UCHAR interval = 1);
    ConfigurationBuilder& isochronousIn(UCHAR number, USHORT maxPacketSize)
    {
        return endpoint(UCHAR(0x80 | number), USB_ENDPOINT_TYPE_ISOCHRONOUS, maxPacketSize);
    }

    std::vector<std::uint8_t> build() const;

private:
    struct Interface {
        USB_INTERFACE_DESCRIPTOR descriptor;
        std::vector<USB_ENDPOINT_DESCRIPTOR> endpoints;
    };
    USB_CONFIGURATION_DESCRIPTOR configuration_{};
    std::vector<Interface> interfaces_;
};

}  // namespace qm::usbd
