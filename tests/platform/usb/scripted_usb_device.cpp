#include "tests/platform/usb/scripted_usb_device.h"

#include <algorithm>
#include <chrono>

namespace qm::test {

void ScriptedUsbDevice::resetDevice()
{
    std::lock_guard lock(mutex_);
    resets_.push_back(0);
}

void ScriptedUsbDevice::resetPipe(std::uint8_t endpoint)
{
    std::lock_guard lock(mutex_);
    resets_.push_back(endpoint);
}

usb::cable::TransferResult ScriptedUsbDevice::bulkOut(std::uint8_t endpoint, std::span<const std::uint8_t> data)
{
    if (endpoint != 0x03)
        return {usb::cable::kStatusBadRequest, 0};
    Packet packet(data.begin(), data.end());
    std::function<void(const Packet&)> handler;
    {
        std::lock_guard lock(mutex_);
        out_.push_back(packet);
        handler = onOut_;
    }
    if (handler)
        handler(packet);
    return {usb::cable::kStatusOk, data.size()};
}

usb::cable::TransferResult ScriptedUsbDevice::bulkIn(std::uint8_t endpoint, std::span<std::uint8_t> into,
                                                     std::uint32_t timeoutMs)
{
    if (endpoint != 0x84)
        return {usb::cable::kStatusBadRequest, 0};
    std::unique_lock lock(mutex_);
    ++inRequests_;
    if (stallNext_) {
        stallNext_ = false;
        return {usb::cable::kStatusStall, 0};
    }
    const auto ready = [this] { return !in_.empty(); };
    if (timeoutMs == 0)
        arrived_.wait(lock, ready);
    else if (!arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
        return {usb::cable::kStatusTimeout, 0};
    Packet packet = std::move(in_.front());
    in_.pop_front();
    const std::size_t length = std::min(packet.size(), into.size());
    std::copy_n(packet.begin(), length, into.begin());
    return {usb::cable::kStatusOk, length};
}

void ScriptedUsbDevice::queueIn(Packet packet)
{
    {
        std::lock_guard lock(mutex_);
        in_.push_back(std::move(packet));
    }
    arrived_.notify_all();
}

void ScriptedUsbDevice::queueReply(const std::vector<std::uint8_t>& bytes)
{
    for (std::size_t offset = 0; offset < bytes.size(); offset += 64) {
        const std::size_t end = std::min(bytes.size(), offset + 64);
        queueIn(Packet(bytes.begin() + long(offset), bytes.begin() + long(end)));
    }
}

void ScriptedUsbDevice::onOut(std::function<void(const Packet&)> handler)
{
    std::lock_guard lock(mutex_);
    onOut_ = std::move(handler);
}

void ScriptedUsbDevice::stallNextIn()
{
    std::lock_guard lock(mutex_);
    stallNext_ = true;
}

std::vector<ScriptedUsbDevice::Packet> ScriptedUsbDevice::outPackets() const
{
    std::lock_guard lock(mutex_);
    return out_;
}

std::vector<std::uint8_t> ScriptedUsbDevice::resets() const
{
    std::lock_guard lock(mutex_);
    return resets_;
}

unsigned ScriptedUsbDevice::inRequests() const
{
    std::lock_guard lock(mutex_);
    return inRequests_;
}

}  // namespace qm::test
