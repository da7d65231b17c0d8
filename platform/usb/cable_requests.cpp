#include "platform/usb/cable_requests.h"

#include <algorithm>
#include <chrono>

#include "platform/system/byte_order.h"
#include "platform/usb/cable_wire.h"

namespace qm::usb::cable {
namespace {

// The longest the device is left waiting before the server looks whether
// the host is still there.
constexpr std::uint32_t kWaitSliceMs = 100;

std::vector<std::uint8_t> statusOnly(std::int32_t status) { return encodeReply({status, 0}); }

std::optional<std::vector<std::uint8_t>> bulkIn(VirtualDevice& device, std::uint8_t pipe, std::uint32_t length,
                                                std::uint32_t timeoutMs, const std::function<bool()>& abandon)
{
    using Clock = std::chrono::steady_clock;
    // The data lands straight behind the reply header.
    std::vector<std::uint8_t> reply(kReplyHeaderSize + length);
    const std::span<std::uint8_t> into = std::span(reply).subspan(kReplyHeaderSize);
    const auto start = Clock::now();
    for (;;) {
        std::uint32_t slice = kWaitSliceMs;
        if (timeoutMs != 0) {
            const auto spent =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
            if (spent >= timeoutMs)
                return statusOnly(kStatusTimeout);
            slice = std::min(slice, timeoutMs - std::uint32_t(spent));
        }
        const TransferResult result = device.bulkIn(pipe, into, slice);
        if (result.status != kStatusTimeout) {
            const std::size_t moved = result.status == kStatusOk ? std::min(result.length, into.size()) : 0;
            reply.resize(kReplyHeaderSize + moved);
            const std::vector<std::uint8_t> header = encodeReply({result.status, std::uint32_t(moved)});
            std::copy(header.begin(), header.end(), reply.begin());
            return reply;
        }
        if (abandon())
            return std::nullopt;
    }
}

}  // namespace

std::optional<std::vector<std::uint8_t>> answerRequest(VirtualDevice& device, std::span<const std::uint8_t> request,
                                                       const std::function<bool()>& abandon)
{
    const auto header = decodeRequest(request);
    if (!header || header->pipe > 0xFF)
        return statusOnly(kStatusBadRequest);
    const auto pipe = std::uint8_t(header->pipe);
    switch (header->op) {
    case Op::Describe: {
        std::uint8_t ids[4];
        sys::writeLe16(&ids[0], device.vendorId());
        sys::writeLe16(&ids[2], device.productId());
        return encodeReply({kStatusOk, sizeof ids}, ids);
    }
    case Op::ResetDevice:
        device.resetDevice();
        return statusOnly(kStatusOk);
    case Op::ResetPipe:
        device.resetPipe(pipe);
        return statusOnly(kStatusOk);
    case Op::BulkOut: {
        const std::span<const std::uint8_t> out = request.subspan(kRequestHeaderSize);
        const TransferResult result = device.bulkOut(pipe, out);
        return encodeReply({result.status, std::uint32_t(std::min(result.length, out.size()))});
    }
    case Op::BulkIn:
        return bulkIn(device, pipe, header->length, header->timeoutMs, abandon);
    }
    return statusOnly(kStatusBadRequest);
}

}  // namespace qm::usb::cable
