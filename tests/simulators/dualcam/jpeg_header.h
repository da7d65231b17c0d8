// The host's side of the frame format, written from the rules the video
// driver follows: the 613-byte JPEG header put in front of the camera's scan
// data, the frame fix-up, and decoding the result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qm::dualcam::test {

inline constexpr std::size_t kHeaderSize = 613;
inline constexpr std::size_t kHeaderThroughHuffman = 599;

// Sampling type 3 = 4:1:1, 2 = 2 x 1, other = 1 x 1.
std::vector<std::uint8_t> buildJpegHeader(int width, int height, int quality, int samplingType,
                                          std::size_t dataLength);

// The engine's fix-up of a received frame: moves the two displaced bytes
// back over the trailer and writes the frame length into header bytes 1..3.
// `raw` holds the frame as received; four spare bytes are added behind it.
void fixUpFrame(std::vector<std::uint8_t>& raw);

// A complete JPEG file from a fixed-up raw frame, as the still and MJPG
// paths build it (with the FF E1 segment between the tables and the scan).
std::vector<std::uint8_t> assembleJpeg(const std::vector<std::uint8_t>& raw, int width, int height, int samplingType);

struct DecodedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    double mean(int channel) const;
};

// Strict decode: warnings about corrupt data count as failures.
std::optional<DecodedImage> decodeJpeg(std::span<const std::uint8_t> jpeg);

}  // namespace qm::dualcam::test
