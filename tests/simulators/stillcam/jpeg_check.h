// JPEG helpers of the tests' own, straight on the JPEG library, so what the
// camera delivers is checked by something other than the camera.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace qm::stillcam::test {

std::optional<std::pair<int, int>> jpegDimensions(const std::vector<std::uint8_t>& jpeg);
// RGB pixels, top row first; empty when the data does not decode cleanly.
std::vector<std::uint8_t> decodeRgb(const std::vector<std::uint8_t>& jpeg);
// A uniformly coloured picture.
std::vector<std::uint8_t> solidJpeg(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b);
// The picture with an upload application segment carrying this raw
// thumbnail put right after its first segment.
std::vector<std::uint8_t> withRawThumbnail(const std::vector<std::uint8_t>& jpeg, const std::vector<std::uint8_t>& raw);

}  // namespace qm::stillcam::test
