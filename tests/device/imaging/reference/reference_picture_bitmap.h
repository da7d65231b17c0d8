// Picture-to-bitmap as it was first written: every step through the imaging
// library, the bitmap copied out of it at the end. The fast path must give
// the same bytes; the equivalence tests and the benchmark run it beside it.
#pragma once

#include <cstdint>
#include <span>

#include "device/imaging/picture_bitmap.h"

namespace qm::device::imaging::reference {

bool pictureToBitmap(std::span<const std::uint8_t> picture, const PictureSteps& steps,
                     std::span<std::uint8_t> destination);

}  // namespace qm::device::imaging::reference
