// The fixed tables of the upload JPEG: the standard's example quantisation
// tables at quality 90, its typical Huffman tables and the zigzag order in
// which coefficients are coded.
#pragma once

#include "common/jpeg/standard_tables.h"

namespace qm::device::imaging {

using QuantisationTable = jpeg::QuantTable;
using jpeg::HuffmanTable;

using jpeg::kZigzagToNatural;

// The example tables scaled to 20 % with rounding (quality 90), in zigzag
// order as they are stored in the file and used to quantise.
extern const QuantisationTable kLuminanceQuantisation;
extern const QuantisationTable kChrominanceQuantisation;

using jpeg::kAcChrominanceHuffman;
using jpeg::kAcLuminanceHuffman;
using jpeg::kDcChrominanceHuffman;
using jpeg::kDcLuminanceHuffman;

}  // namespace qm::device::imaging
