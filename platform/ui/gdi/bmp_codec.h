// Reading device-independent bitmaps: BMP files (bitmap resources) and packed
// DIBs in memory. Every header field is checked against the bytes present.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/gdi/surface.h"

namespace qm::ui::detail {

struct DibLayout {
    int width = 0;
    int height = 0;       // always positive
    bool topDown = false;
    int bitCount = 0;     // 1, 4, 8, 24 or 32
    std::vector<COLORREF> palette;
    std::size_t headerBytes = 0;  // header plus colour table
    std::size_t stride = 0;       // bytes per row, 4-byte aligned
    std::size_t imageBytes() const { return stride * std::size_t(height); }
};

// The header and colour table at `data`; `error` says what is wrong.
std::optional<DibLayout> parseDibHeader(const std::uint8_t* data, std::size_t size, std::string* error = nullptr);
// One pixel of row `y` (0 = top) and column `x`; the caller has checked the
// bits hold imageBytes().
COLORREF dibPixel(const DibLayout& layout, const std::uint8_t* bits, int x, int y);
std::optional<Surface> decodeDib(const DibLayout& layout, const std::uint8_t* bits, std::size_t bitsSize);
// A whole BMP file: the 14-byte file header, the info header, the bits.
std::optional<Surface> decodeBmpFile(const std::uint8_t* data, std::size_t size, std::string* error = nullptr);

}  // namespace qm::ui::detail
