// Colour conversion of 4:1:1 rows: four luminance samples share one Cb and
// one Cr sample. The chroma of the second to fourth pixel of a group is
// interpolated toward the next group's chroma with weights 3:1, 1:1 and
// 1:3 (the last group has no next one and keeps its own), which avoids the
// colour steps every four pixels that plain replication shows.
//
// Conversion is ITU-R BT.601 studio range by lookup tables of 16.16 fixed
// point products, each shifted right with rounding toward minus infinity:
//   Y' = (76283 Y - 1220528) >> 16
//   R  = Y' + ((104595 Cr - 13388160) >> 16)
//   G  = Y' - ((25690 Cb - 3288320) >> 16) - ((53280 Cr - 6819840) >> 16)
//   B  = Y' + ((132186 Cb - 16919808) >> 16)
// saturated to 0..255 and written B, G, R.
//
// The names come from the routines' first form, written with the
// processor's multimedia extension; this form is portable.
#pragma once

#include <array>
#include <cstdint>

namespace qm::morvax {

struct Yuv411Tables {
    std::array<std::int32_t, 256> luma;      // Y'
    std::array<std::int32_t, 256> crToRed;
    std::array<std::int32_t, 256> cbToGreen;
    std::array<std::int32_t, 256> crToGreen;
    std::array<std::int32_t, 256> cbToBlue;
};

void setTableMMX(Yuv411Tables& tables);

// The tables every conversion uses, built once.
const Yuv411Tables& yuv411Tables();

// Converts one row of `width` pixels: `y` holds width samples, `cb` and `cr`
// (width + 3) / 4 each; `bgr` receives width x 3 bytes.
void yuv411torgbMMX(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::uint8_t* bgr,
                    std::uint32_t width);

}  // namespace qm::morvax
