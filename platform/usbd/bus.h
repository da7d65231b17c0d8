// A simulated USB bus: device models plug into ports, each gets a physical
// device object that accepts the USB driver interface's URBs and internal
// IOCTLs (platform/usbd/usbd.h), and a bus thread runs the 1 ms frames.
//
// Time. Frame numbers are the kernel clock's milliseconds. Tests put the
// clock in manual mode and step it (Bus::step); applications leave it paced
// in real time. Isochronous transfers complete on the bus thread at dispatch
// level right after their last frame.
//
// Bandwidth. Selecting a configuration or an alternate setting reserves the
// sum of its isochronous endpoints' wMaxPacketSize bytes per frame; a
// selection that does not fit into what the bus has left is refused
// (USBD_STATUS_NO_BANDWIDTH) and the interface keeps its previous setting.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/kernel/nt_types.h"
#include "platform/usbd/device_model.h"

namespace qm::kernel {
struct DEVICE_OBJECT;
}

namespace qm::usbd {

namespace detail {
class BusImpl;
}

// Periodic bandwidth of a full-speed bus: 90 % of a 1500-byte frame.
inline constexpr ULONG kFullSpeedPeriodicBytesPerFrame = 1350;

class Bus {
public:
    Bus();
    ~Bus();  // unplugs every device
    Bus(const Bus&) = delete;
    Bus& operator=(const Bus&) = delete;

    // Plugs a device into a free port and returns the port number (1-based).
    ULONG plug(std::shared_ptr<DeviceModel> model);
    // Unplugs it: transfers in flight complete with USBD_STATUS_DEVICE_GONE,
    // later requests fail with STATUS_DEVICE_NOT_CONNECTED, the port reports
    // "not connected" and the model hears unplugged(). The physical device
    // object stays valid while the bus lives.
    void unplug(ULONG port);
    // The physical device object of a port (null for an unknown port).
    qm::kernel::DEVICE_OBJECT* physicalDeviceObject(ULONG port) const;

    // Periodic bandwidth budget per frame and what selections hold of it.
    void setBandwidthLimit(ULONG bytesPerFrame);
    ULONG bandwidthLimit() const;
    ULONG bandwidthInUse() const;

    // Disables or re-enables a port the way a port error would; the host's
    // IOCTL_INTERNAL_USB_ENABLE_PORT enables it again.
    void setPortEnabled(ULONG port, bool enabled);

    // The current frame number (the kernel clock in milliseconds).
    static ULONG currentFrame();
    // Manual clock: runs `frames` frames (and the timers due meanwhile) and
    // returns when everything they set off has settled.
    static void step(ULONG frames = 1);
    // True on a bus thread.
    static bool isBusThread();

private:
    std::unique_ptr<detail::BusImpl> impl_;
};

}  // namespace qm::usbd
