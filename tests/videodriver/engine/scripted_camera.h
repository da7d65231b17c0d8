// A camera whose frames the test writes: the dual-mode camera's USB layout
// (alternate settings 1..7 with the isochronous data pipe 0x81 and the
// one-byte sync pipe 0x82 behind an interrupt pipe), registers that accept
// any vendor request, and exactly the frames queued, sent one packet per
// 1 ms frame with sync bit 0 on each frame's last packet.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/usbd/device_model.h"

namespace qm::morvax::test {

struct ScriptedFrame {
    std::vector<std::uint8_t> bytes;  // as the camera sends them, trailer included
    bool badPacket = false;           // its first packet arrives with an error status
    bool endMark = true;              // the sync byte marks its last packet
};

// A frame in the camera's layout: quality byte, the two payload bytes the
// trailer displaces, 0, the payload, then the trailer n with 4n + 2 = size.
// The payload starts with `marker` (16-bit little-endian). `bytes` must be
// 4n + 2 and at least 8.
ScriptedFrame makeFrame(std::uint16_t marker, std::size_t bytes, std::uint8_t quality = 64);

class ScriptedCamera : public usbd::DeviceModel {
public:
    static constexpr std::uint16_t kVendor = 0x0784;
    static constexpr std::uint16_t kProduct = 0x4200;
    static constexpr std::uint16_t kPacketSize = 1023;  // alternate setting 1

    std::vector<std::uint8_t> deviceDescriptor() const override;
    std::vector<std::uint8_t> configurationDescriptor() const override;
    usbd::ControlResult controlIn(const usbd::SetupPacket& setup, std::span<std::uint8_t> data) override;
    usbd::ControlResult controlOut(const usbd::SetupPacket& setup, std::span<const std::uint8_t> data) override;
    usbd::IsoPacketResult isochronousIn(std::uint8_t endpoint, std::uint32_t frameNumber,
                                        std::span<std::uint8_t> packet) override;
    void startOfFrame(std::uint32_t frameNumber) override;
    void interfaceSelected(std::uint8_t interfaceNumber, std::uint8_t alternateSetting) override;
    void pipeReset(std::uint8_t endpoint) override;
    void pipeAborted(std::uint8_t endpoint) override;

    void queue(ScriptedFrame frame);
    // Frames not yet (completely) sent.
    std::size_t framesQueued();
    std::size_t framesSent();
    // The data pipe answers every packet with a stall until the host resets it.
    void stallDataPipe();
    unsigned pipeResets();
    unsigned pipeAborts();
    std::uint8_t alternateSetting();

private:
    struct Packet {
        std::vector<std::uint8_t> data;
        std::uint8_t sync = 0;
        bool error = false;
    };

    std::mutex lock_;
    std::deque<ScriptedFrame> frames_;
    std::size_t position_ = 0;  // bytes of the front frame sent
    Packet current_;            // this 1 ms frame's packets
    std::size_t sent_ = 0;
    std::uint8_t alternate_ = 0;
    bool stalled_ = false;
    unsigned resets_ = 0;
    unsigned aborts_ = 0;
};

}  // namespace qm::morvax::test
