// A picture's thumbnail data, as the camera delivers it, into the 80 x 60
// thumbnail DIB (kThumbnailDibSize bytes) that the panel shows.
#pragma once

#include <cstdint>
#include <span>

namespace qm::device::imaging {

enum class ThumbnailResult {
    Converted,    // the thumbnail is in the destination and may be cached
    Placeholder,  // the data did not decode: a plain grey thumbnail stands in,
                  // so the browser keeps loading; not worth caching
    Failed,       // nothing written (destination too small, data cut short,
                  // or the conversion ran out of memory)
};

// Raw YCbCr data for models 16, 22 and 32, a small JPEG for the others.
ThumbnailResult thumbnailToDib(std::uint8_t model, std::span<const std::uint8_t> data,
                               std::span<std::uint8_t> destination);

// A uniform mid-grey 80 x 60 thumbnail. False when `destination` is too small.
bool writePlaceholderThumbnail(std::span<std::uint8_t> destination);

}  // namespace qm::device::imaging
