// Bitmap files as the resource compiler reads them: uncompressed, 24 bits
// per pixel, rows bottom first and padded to four bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "panel/resources/art/canvas.h"

namespace qm::panel::art {

std::vector<std::uint8_t> encodeBmp(const Canvas& canvas);

}  // namespace qm::panel::art
