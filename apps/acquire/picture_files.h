// What acquire writes for each picture: a bitmap file and a PNG file. The
// DIB and file handling is the qmcam tool's; this adds the way back from
// rows to a DIB for pictures that arrive as memory strips.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "apps/qmcam/image_files.h"

namespace qm::acquire {

using qmcam::RgbImage;

// A packed 24-bit DIB of the image: bottom row first, rows padded to 4 bytes.
std::vector<std::uint8_t> dibFromImage(const RgbImage& image);

// Writes <stem>.png from the DIB's pixels and, unless the source already
// wrote it, <stem>.bmp from the DIB; false with a message when a file
// cannot be written.
bool writePictureFiles(const std::string& stem, const std::vector<std::uint8_t>& dib, bool writeBitmap,
                       std::string& error);

}  // namespace qm::acquire
