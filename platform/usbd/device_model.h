// What a simulated USB device offers the bus (platform/usbd/bus.h).
//
// A device model describes itself with raw descriptors and answers the bus:
//   - standard requests (descriptors, configuration and interface selection,
//     pipe resets) are served by the bus from the descriptors; the model only
//     hears about their effect through the notifications below;
//   - vendor and class control requests on endpoint 0 go to controlIn /
//     controlOut and complete at once (control traffic takes no frame time);
//   - isochronous IN endpoints are polled once per 1 ms frame.
//
// Frames. For every frame the bus first calls startOfFrame(), then
// isochronousIn() once for each isochronous IN endpoint of the alternate
// settings currently selected (wMaxPacketSize above 0), in ascending endpoint
// number, whether or not the host has a transfer scheduled for that frame:
// the device produces its stream in real time and a packet nobody asked for is
// lost, as on the wire. The packet buffer holds at most the endpoint's
// wMaxPacketSize bytes (less when the host's transfer buffer has less room);
// the model fills a prefix and reports its length and a USBD status, so
// packet errors can be injected (the bus passes both through to the host's
// packet descriptor unchanged).
//
// Threads. The bus serialises every call into one model: no two callbacks of
// the same model run at once, so a model needs no lock for state only the bus
// touches. Callbacks run on the bus thread or on the thread submitting a
// control request. A model must not call back into the bus from a callback.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/usbd/usb100.h"
#include "platform/usbd/usbd_status.h"

namespace qm::usbd {

// The eight bytes of a control request's setup stage.
struct SetupPacket {
    std::uint8_t bmRequestType = 0;  // direction | type | recipient
    std::uint8_t bRequest = 0;
    std::uint16_t wValue = 0;
    std::uint16_t wIndex = 0;
    std::uint16_t wLength = 0;  // bytes the host sends or accepts
};

struct ControlResult {
    bool stall = false;       // the device refused the request
    std::size_t length = 0;   // bytes returned (IN); an OUT request takes all its data or stalls

    static ControlResult ok(std::size_t length = 0) { return {false, length}; }
    static ControlResult stalled() { return {true, 0}; }
};

struct IsoPacketResult {
    std::size_t length = 0;                    // bytes written to the packet buffer
    USBD_STATUS status = USBD_STATUS_SUCCESS;  // e.g. USBD_STATUS_CRC to inject an error
};

class DeviceModel {
public:
    virtual ~DeviceModel() = default;

    // The 18-byte device descriptor.
    virtual std::vector<std::uint8_t> deviceDescriptor() const = 0;
    // The whole configuration descriptor (wTotalLength bytes): configuration,
    // then every interface descriptor (one per alternate setting), each
    // followed by its endpoint descriptors. Only one configuration is offered.
    virtual std::vector<std::uint8_t> configurationDescriptor() const = 0;
    // A string descriptor, or empty (the request then stalls).
    virtual std::vector<std::uint8_t> stringDescriptor(std::uint8_t /*index*/, std::uint16_t /*languageId*/) const
    {
        return {};
    }

    // Vendor and class requests. `data` has room for setup.wLength bytes (IN)
    // or holds the bytes the host sent (OUT).
    virtual ControlResult controlIn(const SetupPacket& setup, std::span<std::uint8_t> data) = 0;
    virtual ControlResult controlOut(const SetupPacket& setup, std::span<const std::uint8_t> data) = 0;

    // One frame's packet for an isochronous IN endpoint (see above).
    virtual IsoPacketResult isochronousIn(std::uint8_t endpointAddress, std::uint32_t frameNumber,
                                          std::span<std::uint8_t> packet) = 0;

    // Notifications; all optional.
    virtual void startOfFrame(std::uint32_t /*frameNumber*/) {}
    virtual void configurationSelected(std::uint8_t /*configurationValue*/) {}  // 0: unconfigured
    virtual void interfaceSelected(std::uint8_t /*interfaceNumber*/, std::uint8_t /*alternateSetting*/) {}
    virtual void pipeReset(std::uint8_t /*endpointAddress*/) {}
    virtual void pipeAborted(std::uint8_t /*endpointAddress*/) {}
    virtual void portReset() {}
    // The model was unplugged; the bus calls it no more after this.
    virtual void unplugged() {}
};

}  // namespace qm::usbd
