// 24-bit pictures turned by quarter turns to the right (clockwise), as pure
// rearrangements of pixels.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qm::device::imaging {

// Writes `source` (width x height, rows `sourceStride` bytes apart) turned by
// `turns` (0..3): target row y at targetFirst + y * targetStep. A turn by one
// takes the source's bottom-left pixel to the top left. One readable byte
// must follow the source's last row.
void turnPixels(const std::uint8_t* source, std::size_t sourceStride, int width, int height, int turns,
                std::uint8_t* targetFirst, std::ptrdiff_t targetStep);

}  // namespace qm::device::imaging
