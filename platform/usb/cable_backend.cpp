// The virtual cable's host end: every registered device keeps one connection
// to the simulated device; a scan asks a short-lived connection who is there.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/system/byte_order.h"
#include "platform/usb/cable_wire.h"
#include "platform/usb/usb_backend.h"

namespace qm::usb {
namespace {

using cable::Op;

// The one device a cable carries.
constexpr DWORD kCableDeviceId = 1;
// A device answers within its own time-out; past this margin the connection
// is given up rather than left out of step.
constexpr int kAnswerMarginMs = 5000;

int connectTo(const std::string& path)
{
    sockaddr_un address {};
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return -1;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// One request and its answer on a connection. The answer's payload lands in
// `payload` (at most its size).
struct Answer {
    cable::ReplyHeader header;
    std::size_t payloadLength = 0;
};

std::optional<Answer> ask(int fd, const cable::RequestHeader& request, std::span<const std::uint8_t> out,
                          std::span<std::uint8_t> payload, int waitMs)
{
    if (!cable::sendDatagram(fd, cable::encodeRequest(request, out)))
        return std::nullopt;
    std::uint8_t small[cable::kReplyHeaderSize + 64];
    std::vector<std::uint8_t> large;
    std::span<std::uint8_t> into(small);
    if (payload.size() > 64) {
        large.resize(cable::kReplyHeaderSize + payload.size());
        into = large;
    }
    const auto size = cable::receiveDatagram(fd, into, waitMs);
    if (!size)
        return std::nullopt;
    const auto header = cable::decodeReply(into.first(*size));
    if (!header)
        return std::nullopt;
    const std::size_t carried = *size - cable::kReplyHeaderSize;
    if (carried > payload.size())
        return std::nullopt;
    std::copy_n(into.begin() + cable::kReplyHeaderSize, carried, payload.begin());
    return Answer{*header, carried};
}

class CableDevice : public OpenDevice {
public:
    explicit CableDevice(int fd) : fd_(fd) {}
    ~CableDevice() override
    {
        if (fd_ >= 0)
            ::close(fd_);
    }

    bool reset() override { return simple(Op::ResetDevice, 0); }
    bool resetPipe(std::uint8_t endpoint) override { return simple(Op::ResetPipe, endpoint); }

    BulkResult bulk(std::uint8_t endpoint, std::span<std::uint8_t> data, std::uint32_t timeoutMs) override
    {
        std::lock_guard lock(mutex_);
        if (fd_ < 0 || data.size() > cable::kMaxPayload)
            return {};
        const bool in = endpoint & kPipeDirectionIn;
        const cable::RequestHeader request{in ? Op::BulkIn : Op::BulkOut, endpoint, std::uint32_t(data.size()),
                                           timeoutMs};
        const int waitMs = timeoutMs == 0 ? -1 : int(timeoutMs) + kAnswerMarginMs;
        const std::span<const std::uint8_t> out = in ? std::span<const std::uint8_t>() : data;
        const std::span<std::uint8_t> back = in ? data : std::span<std::uint8_t>();
        const auto answer = ask(fd_, request, out, back, waitMs);
        if (!answer)
            return disconnect();
        if (answer->header.status != cable::kStatusOk)
            return {};
        const std::size_t moved = in ? answer->payloadLength : answer->header.length;
        if (moved > data.size() || (in && answer->header.length != answer->payloadLength))
            return disconnect();
        return {true, moved};
    }

private:
    bool simple(Op op, std::uint32_t pipe)
    {
        std::lock_guard lock(mutex_);
        if (fd_ < 0)
            return false;
        const auto answer = ask(fd_, {op, pipe, 0, 0}, {}, {}, kAnswerMarginMs);
        if (!answer) {
            disconnect();
            return false;
        }
        return answer->header.status == cable::kStatusOk;
    }

    // A connection that lost step with the device is closed for good.
    BulkResult disconnect()
    {
        ::close(fd_);
        fd_ = -1;
        return {};
    }

    std::mutex mutex_;
    int fd_;
};

class CableBackend : public Backend {
public:
    explicit CableBackend(std::string path) : path_(std::move(path)) {}

    std::vector<ScanMatch> scan(WORD vendorId, WORD productId) override
    {
        const int fd = connectTo(path_);
        if (fd < 0)
            return {};
        const auto ids = describe(fd);
        ::close(fd);
        if (!ids || ids->vendorId != vendorId || ids->productId != productId)
            return {};
        return {ScanMatch{kCableDeviceId, ids->vendorId, ids->productId}};
    }

    std::unique_ptr<OpenDevice> open(DWORD uniqueId, DWORD configuration, DWORD interfaceNumber,
                                     DWORD alternateSetting,
                                     std::span<std::uint8_t, kDeviceInfoSize> deviceInfo) override
    {
        // A simulated device has one configuration with one interface.
        if (uniqueId != kCableDeviceId || configuration != 0 || interfaceNumber != 0 || alternateSetting != 0)
            return nullptr;
        const int fd = connectTo(path_);
        if (fd < 0)
            return nullptr;
        const auto ids = describe(fd);
        if (!ids) {
            ::close(fd);
            return nullptr;
        }
        std::fill(deviceInfo.begin(), deviceInfo.end(), 0);
        sys::writeLe16(&deviceInfo[0], ids->vendorId);
        sys::writeLe16(&deviceInfo[2], ids->productId);
        return std::make_unique<CableDevice>(fd);
    }

private:
    std::optional<ScanMatch> describe(int fd)
    {
        std::uint8_t payload[4];
        const auto answer = ask(fd, {Op::Describe, 0, 0, 0}, {}, payload, kAnswerMarginMs);
        if (!answer || answer->header.status != cable::kStatusOk || answer->payloadLength != sizeof payload)
            return std::nullopt;
        return ScanMatch{kCableDeviceId, sys::readLe16(&payload[0]), sys::readLe16(&payload[2])};
    }

    std::string path_;
};

}  // namespace

std::shared_ptr<Backend> makeCableBackend(const std::string& socketPath)
{
    return std::make_shared<CableBackend>(socketPath);
}

bool cableAnswers(const std::string& socketPath)
{
    const int fd = connectTo(socketPath);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

}  // namespace qm::usb
