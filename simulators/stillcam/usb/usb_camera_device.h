// The camera as a USB device on the virtual cable: requests arrive on bulk
// pipe 3 in 64-byte packets (the last one of a request padded), replies go
// out on bulk pipe 0x84 in 64-byte packets, the last one short.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/usb/virtual_cable.h"
#include "simulators/stillcam/core/camera_core.h"

namespace qm::stillcam {

class UsbCameraDevice : public usb::cable::VirtualDevice {
public:
    UsbCameraDevice(CameraCore& core, std::uint16_t productId);

    std::uint16_t vendorId() const override;
    std::uint16_t productId() const override { return productId_; }
    void resetDevice() override;
    void resetPipe(std::uint8_t endpoint) override;
    usb::cable::TransferResult bulkOut(std::uint8_t endpoint, std::span<const std::uint8_t> data) override;
    usb::cable::TransferResult bulkIn(std::uint8_t endpoint, std::span<std::uint8_t> into,
                                      std::uint32_t timeoutMs) override;
    // Set by an Unplug fault: the cable's server then closes.
    bool unplugged() const override { return unplugged_; }

    // Ends every wait in bulkIn; the device answers nothing afterwards.
    void interrupt();

private:
    void answer(const Request& request);

    CameraCore& core_;
    const std::uint16_t productId_;
    std::atomic<bool> unplugged_ {false};
    std::mutex mutex_;
    std::condition_variable replyReady_;
    RequestAssembler assembler_;
    std::vector<std::uint8_t> reply_;
    std::size_t replySent_ = 0;
    std::uint64_t replyDueMs_ = 0;
    bool stalled_ = false;
    bool interrupted_ = false;
};

}  // namespace qm::stillcam
