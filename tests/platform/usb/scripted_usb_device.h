// A USB device for tests: it records every packet the host sends and hands
// out the packets a test queued, so packet boundaries can be checked.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/usb/virtual_cable.h"

namespace qm::test {

class ScriptedUsbDevice : public usb::cable::VirtualDevice {
public:
    using Packet = std::vector<std::uint8_t>;

    explicit ScriptedUsbDevice(std::uint16_t productId = 0x2620) : productId_(productId) {}

    std::uint16_t vendorId() const override { return 0x0784; }
    std::uint16_t productId() const override { return productId_; }
    void resetDevice() override;
    void resetPipe(std::uint8_t endpoint) override;
    usb::cable::TransferResult bulkOut(std::uint8_t endpoint, std::span<const std::uint8_t> data) override;
    usb::cable::TransferResult bulkIn(std::uint8_t endpoint, std::span<std::uint8_t> into,
                                      std::uint32_t timeoutMs) override;
    bool unplugged() const override { return unplugged_; }

    // Packets the host will read, in order.
    void queueIn(Packet packet);
    // Splits bytes into 64-byte packets (the last one short).
    void queueReply(const std::vector<std::uint8_t>& bytes);
    // Called for every packet the host sends; may queue an answer.
    void onOut(std::function<void(const Packet&)> handler);
    // The next bulk-in stalls instead of answering.
    void stallNextIn();
    // The device pulls its own cable, as a camera may from inside a call.
    void pullCable() { unplugged_ = true; }

    std::vector<Packet> outPackets() const;
    std::vector<std::uint8_t> resets() const;  // 0 for the device, else the pipe
    unsigned inRequests() const;

private:
    const std::uint16_t productId_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<Packet> in_;
    std::vector<Packet> out_;
    std::vector<std::uint8_t> resets_;
    std::function<void(const Packet&)> onOut_;
    bool stallNext_ = false;
    unsigned inRequests_ = 0;
    std::atomic<bool> unplugged_ {false};
};

}  // namespace qm::test
