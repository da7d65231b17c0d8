#include "device/protocol/packet.h"

#include <algorithm>

#include "device/protocol/commands.h"

namespace qm::device {

std::uint8_t checksum(std::span<const std::uint8_t> bytes)
{
    std::uint8_t sum = 0;
    for (const std::uint8_t byte : bytes)
        sum = std::uint8_t(sum + byte);
    return sum;
}

std::size_t frameRequest(std::uint8_t code, std::span<const std::uint8_t> parameters, std::span<std::uint8_t> out)
{
    const std::size_t length = parameters.size() + 2;  // code, parameters, checksum
    const std::size_t size = kHeaderSize + length;
    if (length > 0xFFFF || size > out.size())
        return 0;
    out[0] = kStartByte;
    out[1] = std::uint8_t(length >> 8);
    out[2] = std::uint8_t(length);
    out[3] = code;
    std::copy(parameters.begin(), parameters.end(), out.begin() + 4);
    out[size - 1] = checksum(out.subspan(3, length - 1));
    return size;
}

std::optional<std::size_t> replyLength(std::span<const std::uint8_t> reply)
{
    if (reply.size() < kHeaderSize)
        return std::nullopt;
    return std::size_t(reply[1]) | (std::size_t(reply[2]) << 8);
}

bool replyIsValid(std::span<const std::uint8_t> reply, std::uint8_t command, std::optional<std::size_t> expectedLength)
{
    const auto length = replyLength(reply);
    if (!length || reply.size() < kHeaderSize + 1)
        return false;
    if (reply[0] != kStartByte || reply[3] != std::uint8_t(command + kReplyCodeOffset))
        return false;
    if (expectedLength && *length != *expectedLength)
        return false;
    // The length covers at least the code and the checksum, and the checksum
    // must be among the bytes that arrived.
    if (*length < 2 || kHeaderSize + *length > reply.size())
        return false;
    return reply[2 + *length] == checksum(reply.subspan(3, *length - 1));
}

}  // namespace qm::device
