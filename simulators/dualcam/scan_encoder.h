// The camera's on-board compressor: baseline JPEG with the quantisation
// tables scaled by Q, the standard Huffman tables of Annex K.3, components
// 1/2/3 with tables 0/1/1 and no restart markers. Only the entropy-coded
// segment leaves the camera; the host writes the headers itself.
#pragma once

#include "simulators/dualcam/jpeg_tables.h"
#include "simulators/dualcam/ycbcr_image.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qm::dualcam {

// Everything after the start-of-scan header, up to and including the
// end-of-image marker. Empty when the picture cannot be encoded (a size of 0
// or one that is not a whole number of MCUs).
std::optional<std::vector<std::uint8_t>> encodeScan(const YCbCrImage& image, int quality, Sampling sampling);

// Returns the entropy-coded segment of a complete JPEG stream (after the SOS
// header, EOI included), walking its marker segments; nullopt when the
// stream is malformed.
std::optional<std::span<const std::uint8_t>> findScanData(std::span<const std::uint8_t> jpeg);

}  // namespace qm::dualcam
