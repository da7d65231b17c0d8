#include "platform/usb/cable_wire.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

#include "platform/system/byte_order.h"

namespace qm::usb::cable {

std::vector<std::uint8_t> encodeRequest(const RequestHeader& header, std::span<const std::uint8_t> payload)
{
    std::vector<std::uint8_t> datagram(kRequestHeaderSize + payload.size());
    sys::writeLe32(&datagram[0], std::uint32_t(header.op));
    sys::writeLe32(&datagram[4], header.pipe);
    sys::writeLe32(&datagram[8], header.length);
    sys::writeLe32(&datagram[12], header.timeoutMs);
    std::copy(payload.begin(), payload.end(), datagram.begin() + kRequestHeaderSize);
    return datagram;
}

std::vector<std::uint8_t> encodeReply(const ReplyHeader& header, std::span<const std::uint8_t> payload)
{
    std::vector<std::uint8_t> datagram(kReplyHeaderSize + payload.size());
    sys::writeLe32(&datagram[0], std::uint32_t(header.status));
    sys::writeLe32(&datagram[4], header.length);
    std::copy(payload.begin(), payload.end(), datagram.begin() + kReplyHeaderSize);
    return datagram;
}

std::optional<RequestHeader> decodeRequest(std::span<const std::uint8_t> datagram)
{
    if (datagram.size() < kRequestHeaderSize)
        return std::nullopt;
    RequestHeader header;
    header.op = Op(sys::readLe32(&datagram[0]));
    header.pipe = sys::readLe32(&datagram[4]);
    header.length = sys::readLe32(&datagram[8]);
    header.timeoutMs = sys::readLe32(&datagram[12]);
    if (header.length > kMaxPayload)
        return std::nullopt;
    const std::size_t payload = datagram.size() - kRequestHeaderSize;
    if (header.op == Op::BulkOut ? payload != header.length : payload != 0)
        return std::nullopt;
    return header;
}

std::optional<ReplyHeader> decodeReply(std::span<const std::uint8_t> datagram)
{
    if (datagram.size() < kReplyHeaderSize)
        return std::nullopt;
    ReplyHeader header;
    header.status = std::int32_t(sys::readLe32(&datagram[0]));
    header.length = sys::readLe32(&datagram[4]);
    if (header.length > kMaxPayload)
        return std::nullopt;
    return header;
}

bool sendDatagram(int fd, std::span<const std::uint8_t> datagram)
{
    for (;;) {
        const ssize_t n = ::send(fd, datagram.data(), datagram.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        return n == ssize_t(datagram.size());
    }
}

std::optional<std::size_t> receiveDatagram(int fd, std::span<std::uint8_t> into, int timeoutMs)
{
    pollfd pfd {fd, POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&pfd, 1, timeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return std::nullopt;
        break;
    }
    for (;;) {
        // MSG_TRUNC reports the datagram's real size, so one that does not
        // fit is noticed rather than silently cut.
        const ssize_t n = ::recv(fd, into.data(), into.size(), MSG_TRUNC);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || std::size_t(n) > into.size())
            return std::nullopt;
        return std::size_t(n);
    }
}

}  // namespace qm::usb::cable
