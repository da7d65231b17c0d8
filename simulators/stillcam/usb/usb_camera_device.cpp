#include "simulators/stillcam/usb/usb_camera_device.h"

#include <algorithm>
#include <chrono>

namespace qm::stillcam {
namespace {

using Clock = std::chrono::steady_clock;
using usb::cable::TransferResult;

std::uint64_t monotonicMs()
{
    return std::uint64_t(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count());
}

Clock::time_point atMs(std::uint64_t ms) { return Clock::time_point(std::chrono::milliseconds(ms)); }

}  // namespace

UsbCameraDevice::UsbCameraDevice(CameraCore& core, std::uint16_t productId) : core_(core), productId_(productId) {}

std::uint16_t UsbCameraDevice::vendorId() const { return kVendorId; }

void UsbCameraDevice::resetDevice()
{
    std::lock_guard lock(mutex_);
    assembler_.reset();
    reply_.clear();
    replySent_ = 0;
    stalled_ = false;
}

void UsbCameraDevice::resetPipe(std::uint8_t endpoint)
{
    std::lock_guard lock(mutex_);
    if (endpoint == kRequestPipe) {
        assembler_.reset();
    } else if (endpoint == kReplyPipe) {
        reply_.clear();
        replySent_ = 0;
        stalled_ = false;
    }
}

TransferResult UsbCameraDevice::bulkOut(std::uint8_t endpoint, std::span<const std::uint8_t> data)
{
    if (endpoint != kRequestPipe)
        return {usb::cable::kStatusBadRequest, 0};
    std::vector<Request> requests;
    {
        std::lock_guard lock(mutex_);
        if (interrupted_)
            return {usb::cable::kStatusTimeout, 0};
        // The wire splits a transfer into packets of 64 bytes.
        for (std::size_t at = 0; at < data.size(); at += kUsbPacketSize)
            assembler_.feedPacket(data.subspan(at, std::min(kUsbPacketSize, data.size() - at)), requests);
    }
    for (const Request& request : requests)
        answer(request);
    return {usb::cable::kStatusOk, data.size()};
}

void UsbCameraDevice::answer(const Request& request)
{
    {
        // A new exchange begins: whatever the host left of the last reply is
        // dropped.
        std::lock_guard lock(mutex_);
        reply_.clear();
        replySent_ = 0;
    }
    Answer answer = core_.handle(request);
    if (answer.unplug) {
        unplugged_ = true;
        interrupt();
        return;
    }
    if (answer.rateAfter)
        core_.setSerialRate(*answer.rateAfter);
    std::lock_guard lock(mutex_);
    stalled_ = stalled_ || answer.endpointStall;
    reply_ = std::move(answer.bytes);
    replySent_ = 0;
    replyDueMs_ = monotonicMs() + answer.delayMs;
    replyReady_.notify_all();
}

TransferResult UsbCameraDevice::bulkIn(std::uint8_t endpoint, std::span<std::uint8_t> into, std::uint32_t timeoutMs)
{
    if (endpoint != kReplyPipe)
        return {usb::cable::kStatusBadRequest, 0};
    std::unique_lock lock(mutex_);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!interrupted_ && !stalled_) {
        const bool pending = replySent_ < reply_.size();
        if (pending && monotonicMs() >= replyDueMs_)
            break;
        auto wakeAt = pending ? atMs(replyDueMs_) : Clock::time_point::max();
        if (timeoutMs != 0)
            wakeAt = std::min(wakeAt, deadline);
        if (wakeAt == Clock::time_point::max())
            replyReady_.wait(lock);
        else if (replyReady_.wait_until(lock, wakeAt) == std::cv_status::timeout && timeoutMs != 0 &&
                 Clock::now() >= deadline)
            return {usb::cable::kStatusTimeout, 0};
    }
    if (stalled_)
        return {usb::cable::kStatusStall, 0};
    if (interrupted_)
        return {usb::cable::kStatusTimeout, 0};
    const std::size_t n = std::min(into.size(), reply_.size() - replySent_);
    std::copy_n(reply_.begin() + long(replySent_), n, into.begin());
    replySent_ += n;
    return {usb::cable::kStatusOk, n};
}

void UsbCameraDevice::interrupt()
{
    std::lock_guard lock(mutex_);
    interrupted_ = true;
    replyReady_.notify_all();
}

}  // namespace qm::stillcam
