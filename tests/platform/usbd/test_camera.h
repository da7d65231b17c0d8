// A small isochronous camera for the bus tests: one interface whose
// alternate settings offer a data pipe (0x81) and a one-byte sync pipe
// (0x82), a register file behind vendor request 1, and packets that carry
// their frame number so tests can see which frames arrived.
#pragma once

#include <mutex>
#include <set>
#include <vector>

#include "platform/usbd/descriptor_builder.h"
#include "platform/usbd/device_model.h"

namespace qm::test {

class TestCamera : public usbd::DeviceModel {
public:
    static constexpr std::uint16_t kVendor = 0x1234;
    static constexpr std::uint16_t kProduct = 0x5678;
    static constexpr std::uint8_t kRegisterRequest = 0x01;
    static constexpr std::uint8_t kStallRequest = 0xFF;
    // Data pipe packet sizes of alternate settings 0, 1, 2.
    static constexpr std::uint16_t kPacketSizes[3] = {0, 1000, 500};

    std::vector<std::uint8_t> deviceDescriptor() const override
    {
        usbd::DeviceIdentity identity;
        identity.idVendor = kVendor;
        identity.idProduct = kProduct;
        return usbd::makeDeviceDescriptor(identity);
    }

    std::vector<std::uint8_t> configurationDescriptor() const override
    {
        usbd::ConfigurationBuilder builder;
        for (std::uint8_t alternate = 0; alternate < 3; ++alternate)
            builder.interface(0, alternate)
                .isochronousIn(1, kPacketSizes[alternate])
                .isochronousIn(2, alternate == 0 ? 0 : 1);
        return builder.build();
    }

    usbd::ControlResult controlIn(const usbd::SetupPacket& setup, std::span<std::uint8_t> data) override
    {
        std::lock_guard<std::mutex> guard(lock_);
        lastSetup_ = setup;
        if (setup.bRequest != kRegisterRequest)
            return usbd::ControlResult::stalled();
        for (std::size_t i = 0; i < data.size(); ++i)
            data[i] = registers_[(setup.wIndex + i) % registers_.size()];
        return usbd::ControlResult::ok(data.size());
    }

    usbd::ControlResult controlOut(const usbd::SetupPacket& setup, std::span<const std::uint8_t> data) override
    {
        std::lock_guard<std::mutex> guard(lock_);
        lastSetup_ = setup;
        if (setup.bRequest != kRegisterRequest)
            return usbd::ControlResult::stalled();
        for (std::size_t i = 0; i < data.size(); ++i)
            registers_[(setup.wIndex + i) % registers_.size()] = data[i];
        return usbd::ControlResult::ok(data.size());
    }

    // Data packets: the frame number (4 bytes, little-endian) then filler
    // up to `dataLength`; sync packets: one byte, the low byte of the frame.
    usbd::IsoPacketResult isochronousIn(std::uint8_t endpoint, std::uint32_t frame,
                                        std::span<std::uint8_t> packet) override
    {
        std::lock_guard<std::mutex> guard(lock_);
        endpointOrder_.push_back(endpoint);
        usbd::IsoPacketResult result;
        if (endpoint == 0x82) {
            if (!packet.empty()) {
                packet[0] = std::uint8_t(frame);
                result.length = 1;
            }
            return result;
        }
        framesServed_.push_back(frame);
        const std::size_t length = std::min(packet.size(), dataLength_);
        for (std::size_t i = 0; i < length; ++i)
            packet[i] = i < 4 ? std::uint8_t(frame >> (8 * i)) : std::uint8_t(0xA5);
        result.length = length;
        if (badFrames_.count(frame) != 0)
            result.status = usbd::USBD_STATUS_CRC;
        return result;
    }

    void startOfFrame(std::uint32_t) override
    {
        std::lock_guard<std::mutex> guard(lock_);
        ++startsOfFrame_;
    }
    void interfaceSelected(std::uint8_t, std::uint8_t alternate) override
    {
        std::lock_guard<std::mutex> guard(lock_);
        alternateSetting_ = alternate;
    }
    void pipeReset(std::uint8_t endpoint) override
    {
        std::lock_guard<std::mutex> guard(lock_);
        resets_.push_back(endpoint);
    }
    void pipeAborted(std::uint8_t endpoint) override
    {
        std::lock_guard<std::mutex> guard(lock_);
        aborts_.push_back(endpoint);
    }
    void unplugged() override
    {
        std::lock_guard<std::mutex> guard(lock_);
        unplugged_ = true;
    }

    void setDataLength(std::size_t length)
    {
        std::lock_guard<std::mutex> guard(lock_);
        dataLength_ = length;
    }
    void failFrame(std::uint32_t frame)
    {
        std::lock_guard<std::mutex> guard(lock_);
        badFrames_.insert(frame);
    }
    std::uint8_t reg(std::size_t index)
    {
        std::lock_guard<std::mutex> guard(lock_);
        return registers_[index];
    }
    usbd::SetupPacket lastSetup()
    {
        std::lock_guard<std::mutex> guard(lock_);
        return lastSetup_;
    }
    std::vector<std::uint32_t> framesServed()
    {
        std::lock_guard<std::mutex> guard(lock_);
        return framesServed_;
    }
    std::vector<std::uint8_t> endpointOrder()
    {
        std::lock_guard<std::mutex> guard(lock_);
        return endpointOrder_;
    }
    int startsOfFrame()
    {
        std::lock_guard<std::mutex> guard(lock_);
        return startsOfFrame_;
    }
    int alternateSetting()
    {
        std::lock_guard<std::mutex> guard(lock_);
        return alternateSetting_;
    }
    std::vector<std::uint8_t> resets()
    {
        std::lock_guard<std::mutex> guard(lock_);
        return resets_;
    }
    std::vector<std::uint8_t> aborts()
    {
        std::lock_guard<std::mutex> guard(lock_);
        return aborts_;
    }
    bool wasUnplugged()
    {
        std::lock_guard<std::mutex> guard(lock_);
        return unplugged_;
    }

private:
    std::mutex lock_;
    std::vector<std::uint8_t> registers_ = std::vector<std::uint8_t>(256, 0);
    usbd::SetupPacket lastSetup_;
    std::size_t dataLength_ = 16;
    std::set<std::uint32_t> badFrames_;
    std::vector<std::uint32_t> framesServed_;
    std::vector<std::uint8_t> endpointOrder_;
    int startsOfFrame_ = 0;
    int alternateSetting_ = -1;
    std::vector<std::uint8_t> resets_;
    std::vector<std::uint8_t> aborts_;
    bool unplugged_ = false;
};

}  // namespace qm::test
