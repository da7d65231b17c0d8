// Camera JPEG data decoded straight into rows of 24-bit blue, green, red
// pixels that the caller places, with the same decoder settings, and the
// same refusals, as the imaging library's own reading: the accurate integer
// DCT, smooth chroma upsampling, and no picture at all once the decoder
// warns about corrupt data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace qm::device::imaging {

enum class JpegRowsResult {
    Decoded,
    Failed,       // corrupt or truncated data; some rows may have been written
    Unsupported,  // four-colour (CMYK) data: left to the imaging library
};

struct JpegLayout {
    int width = 0;
    int height = 0;
    // Pixels per inch as the imaging library records it: the JFIF density
    // in inches, or in centimetres times 2.54 rounded; 0 when not stated.
    int pixelsPerInch = 0;
};

// Reads the header; false when libjpeg cannot.
bool readJpegLayout(std::span<const std::uint8_t> data, JpegLayout& layout);

// Decodes into `height` rows of width x 3 bytes, row y (from the top) at
// firstRow + y * rowStep (rowStep may be negative, for bottom-up bitmaps).
// The caller has checked the layout and that every row lies in its memory.
JpegRowsResult decodeJpegRows(std::span<const std::uint8_t> data, std::uint8_t* firstRow, std::ptrdiff_t rowStep);

}  // namespace qm::device::imaging
