// A device model that passes everything to the model it wraps: the base of
// test wrappers that watch the wire and override only what they record.
#pragma once

#include <memory>
#include <utility>

#include "platform/usbd/device_model.h"

namespace qm::usbd::test {

class ForwardingDevice : public DeviceModel {
public:
    explicit ForwardingDevice(std::shared_ptr<DeviceModel> inner) : inner_(std::move(inner)) {}

    std::vector<std::uint8_t> deviceDescriptor() const override { return inner_->deviceDescriptor(); }
    std::vector<std::uint8_t> configurationDescriptor() const override { return inner_->configurationDescriptor(); }
    std::vector<std::uint8_t> stringDescriptor(std::uint8_t index, std::uint16_t languageId) const override
    {
        return inner_->stringDescriptor(index, languageId);
    }
    ControlResult controlIn(const SetupPacket& setup, std::span<std::uint8_t> data) override
    {
        return inner_->controlIn(setup, data);
    }
    ControlResult controlOut(const SetupPacket& setup, std::span<const std::uint8_t> data) override
    {
        return inner_->controlOut(setup, data);
    }
    IsoPacketResult isochronousIn(std::uint8_t endpoint, std::uint32_t frame, std::span<std::uint8_t> packet) override
    {
        return inner_->isochronousIn(endpoint, frame, packet);
    }
    void startOfFrame(std::uint32_t frame) override { inner_->startOfFrame(frame); }
    void configurationSelected(std::uint8_t value) override { inner_->configurationSelected(value); }
    void interfaceSelected(std::uint8_t number, std::uint8_t alternate) override
    {
        inner_->interfaceSelected(number, alternate);
    }
    void pipeReset(std::uint8_t endpoint) override { inner_->pipeReset(endpoint); }
    void pipeAborted(std::uint8_t endpoint) override { inner_->pipeAborted(endpoint); }
    void portReset() override { inner_->portReset(); }
    void unplugged() override { inner_->unplugged(); }

private:
    std::shared_ptr<DeviceModel> inner_;
};

}  // namespace qm::usbd::test
