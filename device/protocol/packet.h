// Framing of requests and checking of replies. A request is
// [0x40, length high, length low, code, parameters..., checksum]; a reply is
// [0x40, length low, length high, code + 0x80, data..., checksum]. The length
// counts from the code up to the checksum; the checksum is the 8-bit sum of
// the bytes between the length and itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace qm::device {

std::uint8_t checksum(std::span<const std::uint8_t> bytes);

// Writes the framed request into `out`; returns its size, or 0 when it does
// not fit.
std::size_t frameRequest(std::uint8_t code, std::span<const std::uint8_t> parameters, std::span<std::uint8_t> out);

// The reply's length field; nullopt when fewer than three bytes arrived.
std::optional<std::size_t> replyLength(std::span<const std::uint8_t> reply);

// Checks start byte, reply code, the length (when one is expected) and the
// checksum against the bytes that arrived. A length that puts the checksum
// beyond them fails.
bool replyIsValid(std::span<const std::uint8_t> reply, std::uint8_t command,
                  std::optional<std::size_t> expectedLength = std::nullopt);

}  // namespace qm::device
