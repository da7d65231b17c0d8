// The decoder's input: a JPEG already in memory, read up to the number of
// bytes that arrived and not one byte further. Running out early is a
// warning (the frame is cut short) and ends the data with an end-of-image
// marker, so the library stops cleanly.
#pragma once

#include <cstdint>

#include "videodriver/jpeg/libjpeg.h"

namespace qm::morvax {

struct MemorySource {
    jpeg_source_mgr manager;
};

void jpegMemorySource(j_decompress_ptr cinfo, MemorySource& source, const std::uint8_t* data, std::size_t length);

}  // namespace qm::morvax
