// The APP0 segments a frame may carry. The driver's own header has an
// "AVI1" segment: motion-JPEG field information whose polarity tells
// whether the picture is one frame (0, or FF when there is no segment at
// all) or the first of two interlaced fields, and whose field size says
// where the second field's JPEG begins. "JFIF" segments are recognised too,
// so files from elsewhere keep the colour space the library would give them.
#pragma once

#include <cstdint>

#include "videodriver/jpeg/libjpeg.h"

namespace qm::morvax {

inline constexpr std::uint8_t kAvi1NoPolarity = 0xFF;

struct Avi1Field {
    bool seen;
    std::uint8_t polarity;
    std::uint32_t fieldSize;
};

// Installs the APP0 reader; `field` (found through the decoder's client
// data) receives what it finds and starts as "no AVI1 segment".
void readAvi1Segments(j_decompress_ptr cinfo, Avi1Field& field);

// A picture of two fields: polarity neither 0 nor FF.
inline bool isTwoFieldPicture(const Avi1Field& field)
{
    return field.polarity != 0 && field.polarity != kAvi1NoPolarity;
}

}  // namespace qm::morvax
