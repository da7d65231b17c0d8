// A 24-bit drawing surface: rows top to bottom, three bytes per pixel in
// blue, green, red order (the byte order of device-independent bitmaps).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/ui/types.h"

namespace qm::ui::detail {

class Surface {
public:
    Surface() = default;
    Surface(int width, int height, COLORREF fill = 0);

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ <= 0 || height_ <= 0; }
    std::size_t stride() const { return std::size_t(width_) * 3; }

    std::uint8_t* row(int y) { return pixels_.data() + std::size_t(y) * stride(); }
    const std::uint8_t* row(int y) const { return pixels_.data() + std::size_t(y) * stride(); }

    // Out-of-range reads give black and writes are dropped.
    COLORREF pixel(int x, int y) const;
    void setPixel(int x, int y, COLORREF c);
    void fill(const RECT& r, COLORREF c);
    // Keeps the overlapping top-left part; new area is filled with `fill`.
    void resize(int width, int height, COLORREF fill = 0);

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> pixels_;
};

}  // namespace qm::ui::detail
