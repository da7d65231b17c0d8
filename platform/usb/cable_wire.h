// Framing of the virtual cable's datagrams, shared by its two ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/usb/virtual_cable.h"

namespace qm::usb::cable {

struct RequestHeader {
    Op op = Op::Describe;
    std::uint32_t pipe = 0;
    std::uint32_t length = 0;
    std::uint32_t timeoutMs = 0;
};

struct ReplyHeader {
    std::int32_t status = kStatusOk;
    std::uint32_t length = 0;
};

std::vector<std::uint8_t> encodeRequest(const RequestHeader& header, std::span<const std::uint8_t> payload = {});
std::vector<std::uint8_t> encodeReply(const ReplyHeader& header, std::span<const std::uint8_t> payload = {});
// Both check the datagram's size against its header and kMaxPayload.
std::optional<RequestHeader> decodeRequest(std::span<const std::uint8_t> datagram);
std::optional<ReplyHeader> decodeReply(std::span<const std::uint8_t> datagram);

// One datagram over a SOCK_SEQPACKET socket. receiveDatagram waits at most
// timeoutMs (negative: no limit) for a datagram that fits `into` and returns
// its size; nullopt on time-out, error, a closed peer or a datagram too big.
bool sendDatagram(int fd, std::span<const std::uint8_t> datagram);
std::optional<std::size_t> receiveDatagram(int fd, std::span<std::uint8_t> into, int timeoutMs);

}  // namespace qm::usb::cable
