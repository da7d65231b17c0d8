// The simulated bus's state, shared by its dispatch and frame code.
#pragma once

#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/kernel/io.h"
#include "platform/kernel/sim_clock.h"
#include "platform/usbd/bus.h"
#include "platform/usbd/detail/device_configuration.h"
#include "platform/usbd/urb.h"

namespace qm::usbd::detail {

// An isochronous transfer waiting for or inside its frames.
struct Transfer {
    PIRP irp;
    _URB_ISOCH_TRANSFER* urb;
    UCHAR* buffer;
    ULONGLONG startFrame;
};

struct Pipe {
    USBD_PIPE_HANDLE handle;
    UCHAR interfaceNumber;
    USB_ENDPOINT_DESCRIPTOR endpoint;
    ULONG maximumTransferSize;
    std::deque<Transfer> transfers;  // in frame order
    ULONGLONG nextFreeFrame = 0;     // first frame after the last scheduled transfer

    bool isochronousIn() const
    {
        return (endpoint.bmAttributes & USB_ENDPOINT_TYPE_MASK) == USB_ENDPOINT_TYPE_ISOCHRONOUS &&
               USB_ENDPOINT_DIRECTION_IN(endpoint.bEndpointAddress);
    }
    USHORT maxPacketSize() const { return endpoint.wMaxPacketSize & 0x7FF; }
};

// A request finished by the bus, completed once no bus lock is held.
struct Completion {
    PIRP irp;
    PURB urb;
    USBD_STATUS usbdStatus;
    NTSTATUS status;
};

struct Port {
    ULONG number = 0;
    PDEVICE_OBJECT pdo = nullptr;
    std::shared_ptr<DeviceModel> model;  // null once unplugged
    bool connected = false;
    bool enabled = false;
    std::vector<std::uint8_t> deviceDescriptor;
    std::vector<std::uint8_t> configurationBytes;
    std::optional<DeviceConfiguration> configuration;
    UCHAR configurationValue = 0;  // 0: unconfigured
    std::map<UCHAR, UCHAR> selected;  // interface -> alternate setting
    std::map<UCHAR, ULONG> bandwidth;  // interface -> bytes per frame held
    std::vector<std::unique_ptr<Pipe>> pipes;
    // Handles are numbers never given out twice, so a stale handle is
    // recognised even when memory is reused.
    USBD_CONFIGURATION_HANDLE configurationHandle = nullptr;
    std::map<UCHAR, USBD_INTERFACE_HANDLE> interfaceHandles;

    ULONG bandwidthInUse() const;
    Pipe* findPipe(USBD_PIPE_HANDLE handle) const;
};

class BusImpl {
public:
    BusImpl();
    ~BusImpl();

    // Everything below runs under `lock` unless it says otherwise.
    std::mutex lock;
    DRIVER_OBJECT driver{};
    std::vector<std::unique_ptr<Port>> ports;
    ULONG bandwidthLimit = kFullSpeedPeriodicBytesPerFrame;
    std::atomic<ULONGLONG> lastFrame{0};  // the last frame run, in milliseconds of kernel time
    std::vector<Completion> pendingAsync;  // completed on the bus thread
    std::unique_ptr<qm::kernel::sim::ServiceQueue> thread;

    Port* portOf(PDEVICE_OBJECT pdo) const;
    ULONG bandwidthInUse() const;

    // Takes every transfer off the pipes given (all when null) for
    // completion with the given status.
    void drainTransfers(Port& port, const std::vector<Pipe*>* pipes, USBD_STATUS usbdStatus, NTSTATUS status,
                        std::vector<Completion>& out);
    void dropPipes(Port& port, std::optional<UCHAR> interfaceNumber, std::vector<Completion>& out);
    // Hands completions to the bus thread.
    void postCompletions(std::vector<Completion>& completions);

    // Bus thread: runs the next frame.
    void runFrame();
    // Completes requests at dispatch level; call without the lock.
    static void complete(std::vector<Completion>& completions);
};

NTSTATUS dispatchInternalControl(PDEVICE_OBJECT pdo, PIRP irp);
// A handle value not given out before.
PVOID freshHandle();

}  // namespace qm::usbd::detail
