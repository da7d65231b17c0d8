// A frame as pixels for the screen: RGB24 frames already are bottom-up BGR
// rows; MJPG frames (and stored pictures) are decoded into the same layout.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "apps/qmvideo/format_text.h"

namespace qm::qmvideo {

struct FramePixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgr;  // bottom row first, 3 bytes a pixel, no row padding
};

// Nullopt when the frame is neither a whole RGB24 image of the format's size
// nor a JPEG that decodes.
std::optional<FramePixels> framePixels(const VideoFormat& format, std::span<const std::uint8_t> data);

}  // namespace qm::qmvideo
