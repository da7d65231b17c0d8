// Framing of the camera command protocol as the camera sees it. Requests
// carry their length high byte first, replies low byte first; the length
// counts the command (or reply) code, the data and the checksum, and the
// checksum is the 8-bit sum of the code and the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qm::stillcam {

inline constexpr std::uint8_t kStartByte = 0x40;
inline constexpr std::size_t kHeaderSize = 3;          // start byte and two length bytes
inline constexpr std::size_t kBlockSize = 1024;        // data bytes of a paged-read or upload block
inline constexpr std::size_t kMaxRequestLength = kBlockSize + 4;  // CMD_WRITE_BLOCK with a full block
inline constexpr std::size_t kMaxRequestSize = kMaxRequestLength + kHeaderSize;

std::uint8_t checksum(std::span<const std::uint8_t> bytes);

// A whole reply packet around a body (reply code and data).
std::vector<std::uint8_t> frameReply(std::span<const std::uint8_t> body);

// A whole request packet around a body (command code and parameters), as a
// host builds it; used by the camera's own tests and tools.
std::vector<std::uint8_t> frameRequest(std::span<const std::uint8_t> body);

// A request that arrived whole, checked for its checksum.
struct Request {
    std::vector<std::uint8_t> bytes;  // the whole packet
    bool checksumGood = false;
    std::uint8_t code() const { return bytes.size() > kHeaderSize ? bytes[kHeaderSize] : 0; }
    // Parameters after the command code, without the checksum.
    std::span<const std::uint8_t> parameters() const;
};

Request makeRequest(std::vector<std::uint8_t> packet);

// Collects requests from the bytes a host sends.
//
// On the serial line bytes stream in: anything before a start byte is line
// noise and skipped, and a length outside what any request can have makes
// the camera look for the next start byte.
//
// Over USB requests come in 64-byte packets: a request begins at the start
// of a packet and the rest of the packet that completes it is padding.
class RequestAssembler {
public:
    void feedStream(std::span<const std::uint8_t> bytes, std::vector<Request>& complete);
    void feedPacket(std::span<const std::uint8_t> packet, std::vector<Request>& complete);
    void reset() { pending_.clear(); }
    bool partial() const { return !pending_.empty(); }

private:
    // Takes bytes into the pending request; returns how many were used.
    std::size_t take(std::span<const std::uint8_t> bytes, std::vector<Request>& complete);

    std::vector<std::uint8_t> pending_;
};

}  // namespace qm::stillcam
