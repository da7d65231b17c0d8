#include "tests/videodriver/engine/scripted_camera.h"

#include <algorithm>
#include <stdexcept>

#include "platform/system/byte_order.h"
#include "platform/usbd/descriptor_builder.h"

namespace qm::morvax::test {

namespace {

constexpr std::uint8_t kDataEndpoint = 0x81;
constexpr std::uint8_t kSyncEndpoint = 0x82;
constexpr std::uint8_t kStatusEndpoint = 0x83;
constexpr std::uint8_t kAlternateSettings = 8;
constexpr std::uint16_t kPacketSizes[kAlternateSettings] = {0, 1023, 896, 768, 640, 512, 384, 256};

}  // namespace

ScriptedFrame makeFrame(std::uint16_t marker, std::size_t bytes, std::uint8_t quality)
{
    if (bytes < 8 || bytes % 4 != 2)
        throw std::invalid_argument("a frame has 4n + 2 bytes");
    // The payload runs from the marker to the last byte before the trailer,
    // plus the two bytes the trailer displaced into the header.
    std::vector<std::uint8_t> payload(bytes - 4);
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = std::uint8_t(i * 7 + 3);
    sys::writeLe16(payload.data(), marker);
    ScriptedFrame frame;
    frame.bytes.reserve(bytes);
    frame.bytes.push_back(quality);
    frame.bytes.push_back(payload[payload.size() - 1]);
    frame.bytes.push_back(payload[payload.size() - 2]);
    frame.bytes.push_back(0);
    frame.bytes.insert(frame.bytes.end(), payload.begin(), payload.end() - 2);
    frame.bytes.resize(bytes);
    sys::writeLe16(&frame.bytes[bytes - 2], std::uint16_t((bytes - 2) / 4));
    return frame;
}

std::vector<std::uint8_t> ScriptedCamera::deviceDescriptor() const
{
    usbd::DeviceIdentity identity;
    identity.idVendor = kVendor;
    identity.idProduct = kProduct;
    return usbd::makeDeviceDescriptor(identity);
}

std::vector<std::uint8_t> ScriptedCamera::configurationDescriptor() const
{
    usbd::ConfigurationBuilder builder;
    for (std::uint8_t alternate = 0; alternate < kAlternateSettings; ++alternate) {
        builder.interface(0, alternate);
        builder.endpoint(kStatusEndpoint, usbd::USB_ENDPOINT_TYPE_INTERRUPT, 1, 16);
        builder.isochronousIn(kDataEndpoint & 0x0F, kPacketSizes[alternate]);
        builder.isochronousIn(kSyncEndpoint & 0x0F, alternate == 0 ? 0 : 1);
    }
    return builder.build();
}

usbd::ControlResult ScriptedCamera::controlIn(const usbd::SetupPacket& setup, std::span<std::uint8_t> data)
{
    const std::size_t length = std::min<std::size_t>(setup.wLength, data.size());
    std::fill_n(data.begin(), length, std::uint8_t(0x80));  // the command interface is always ready
    return usbd::ControlResult::ok(length);
}

usbd::ControlResult ScriptedCamera::controlOut(const usbd::SetupPacket& setup, std::span<const std::uint8_t> data)
{
    return usbd::ControlResult::ok(std::min<std::size_t>(setup.wLength, data.size()));
}

void ScriptedCamera::startOfFrame(std::uint32_t)
{
    std::lock_guard<std::mutex> guard(lock_);
    current_ = {};
    if (kPacketSizes[alternate_] == 0 || frames_.empty())
        return;
    ScriptedFrame& frame = frames_.front();
    const std::size_t room = kPacketSizes[alternate_];
    std::size_t take = std::min(room, frame.bytes.size() - position_);
    // The trailer never straddles two packets.
    if (frame.bytes.size() - position_ - take == 1)
        --take;
    current_.data.assign(frame.bytes.begin() + std::ptrdiff_t(position_),
                         frame.bytes.begin() + std::ptrdiff_t(position_ + take));
    current_.error = frame.badPacket && position_ == 0;
    position_ += take;
    if (position_ == frame.bytes.size()) {
        current_.sync = frame.endMark ? 0x01 : 0x00;
        frames_.pop_front();
        position_ = 0;
        ++sent_;
    }
}

usbd::IsoPacketResult ScriptedCamera::isochronousIn(std::uint8_t endpoint, std::uint32_t,
                                                    std::span<std::uint8_t> packet)
{
    std::lock_guard<std::mutex> guard(lock_);
    usbd::IsoPacketResult result;
    if (endpoint == kSyncEndpoint) {
        if (!packet.empty()) {
            packet[0] = current_.sync;
            result.length = 1;
        }
        return result;
    }
    if (endpoint != kDataEndpoint)
        return result;
    if (stalled_) {
        result.status = usbd::USBD_STATUS_STALL_PID;
        return result;
    }
    const std::size_t length = std::min(packet.size(), current_.data.size());
    std::copy_n(current_.data.begin(), length, packet.begin());
    result.length = length;
    if (current_.error)
        result.status = usbd::USBD_STATUS_CRC;
    return result;
}

void ScriptedCamera::interfaceSelected(std::uint8_t, std::uint8_t alternateSetting)
{
    std::lock_guard<std::mutex> guard(lock_);
    alternate_ = alternateSetting;
}

void ScriptedCamera::pipeReset(std::uint8_t endpoint)
{
    std::lock_guard<std::mutex> guard(lock_);
    ++resets_;
    if (endpoint == kDataEndpoint)
        stalled_ = false;
}

void ScriptedCamera::pipeAborted(std::uint8_t)
{
    std::lock_guard<std::mutex> guard(lock_);
    ++aborts_;
}

void ScriptedCamera::queue(ScriptedFrame frame)
{
    std::lock_guard<std::mutex> guard(lock_);
    frames_.push_back(std::move(frame));
}

std::size_t ScriptedCamera::framesQueued()
{
    std::lock_guard<std::mutex> guard(lock_);
    return frames_.size();
}

std::size_t ScriptedCamera::framesSent()
{
    std::lock_guard<std::mutex> guard(lock_);
    return sent_;
}

void ScriptedCamera::stallDataPipe()
{
    std::lock_guard<std::mutex> guard(lock_);
    stalled_ = true;
}

unsigned ScriptedCamera::pipeResets()
{
    std::lock_guard<std::mutex> guard(lock_);
    return resets_;
}

unsigned ScriptedCamera::pipeAborts()
{
    std::lock_guard<std::mutex> guard(lock_);
    return aborts_;
}

std::uint8_t ScriptedCamera::alternateSetting()
{
    std::lock_guard<std::mutex> guard(lock_);
    return alternate_;
}

}  // namespace qm::morvax::test
