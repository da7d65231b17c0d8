// The thumbnails a camera keeps beside each picture.
//
// Models 16, 22 and 32 keep a raw 80 x 60 thumbnail of 9600 bytes: 60 rows
// top first, each pixel pair as four signed bytes Y0 - 128, Cb, Y1 - 128, Cr.
// The sensor data is linear, the host brightens it with its gamma table.
// The other models keep a small JPEG.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "simulators/stillcam/imaging/rgb_image.h"

namespace qm::stillcam {

inline constexpr int kThumbnailWidth = 80;
inline constexpr int kThumbnailHeight = 60;
inline constexpr std::size_t kRawThumbnailSize = 9600;
inline constexpr int kJpegThumbnailWidth = 160;
inline constexpr int kJpegThumbnailHeight = 120;

bool usesRawThumbnails(std::uint8_t model);

std::vector<std::uint8_t> rawThumbnail(const RgbImage& picture);
std::vector<std::uint8_t> jpegThumbnail(const RgbImage& picture);

// A grey thumbnail in the model's form, for data that is no picture.
std::vector<std::uint8_t> placeholderThumbnail(std::uint8_t model);

// The raw thumbnail that an upload JPEG carries in its application segment
// (FF E0, length 9615, bytes 19 68 12 16 00, the 9600 bytes, 8 trailing
// bytes); nullopt when the data has no such segment.
std::optional<std::vector<std::uint8_t>> embeddedRawThumbnail(std::span<const std::uint8_t> jpeg);

}  // namespace qm::stillcam
