// Frames to files: a JPEG frame as it came (.jpg), an RGB24 frame of the
// full image size as a bottom-up bitmap file (.bmp), anything else as raw
// bytes (.raw).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "apps/qmvideo/format_text.h"

namespace qm::qmvideo {

// The file a frame becomes, e.g. "frame_0007.jpg".
std::string frameFileName(unsigned index, const VideoFormat& format, std::span<const std::uint8_t> data);

// A bitmap file of a bottom-up 24-bit image (rows padded to 4 bytes), or
// nullopt when `data` is not exactly such an image.
std::optional<std::vector<std::uint8_t>> bitmapFile(long width, long height, std::span<const std::uint8_t> data);

// Writes the frame into `directory`; the path written, or nullopt.
std::optional<std::string> writeFrame(const std::string& directory, unsigned index, const VideoFormat& format,
                                      std::span<const std::uint8_t> data);

}  // namespace qm::qmvideo
