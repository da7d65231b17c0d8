// The bytes the camera sends for one frame over the isochronous data pipe.
//
//   [512-byte FF E1 segment]   stored pictures only, and only some of them
//   Q                          quality byte the frame was encoded with
//   P[last], P[last - 1]       the two payload bytes the trailer displaces
//   0
//   P[0 .. last - 2]           payload: scan data (fill bytes before EOI)
//                              and, for stored pictures, the picture's
//                              16-bit table index after EOI
//   n                          16-bit little-endian trailer: the frame's
//                              byte count, all of the above included, is 4n + 2
//
// The host moves the two displaced bytes back over the trailer, so the
// payload arrives whole behind its own frame header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qm::dualcam {

inline constexpr std::size_t kAppSegmentSize = 512;
inline constexpr std::size_t kFrameHeaderSize = 4;
inline constexpr std::size_t kTrailerSize = 2;
// The trailer counts 4-byte units in 16 bits.
inline constexpr std::size_t kMaxFrameBytes = 4 * 0xFFFFu + 2;
// A stored picture whose index the camera does not report.
inline constexpr std::uint16_t kNoPictureIndex = 0xFFFF;

struct FrameParts {
    std::uint8_t quality = 0;
    std::span<const std::uint8_t> scan;          // entropy-coded data ending in FF D9
    std::optional<std::uint16_t> pictureIndex;   // stored pictures
    std::span<const std::uint8_t> appSegment;    // empty or kAppSegmentSize bytes
};

// Lays out one frame; nullopt when the scan does not end in EOI, the segment
// has the wrong size or the frame would not fit the trailer's count.
std::optional<std::vector<std::uint8_t>> buildFrame(const FrameParts& parts);

// The trailer count of a frame of `bytes` bytes (which must be 4n + 2).
inline std::uint16_t trailerCount(std::size_t bytes) { return std::uint16_t((bytes - kTrailerSize) / 4); }

}  // namespace qm::dualcam
