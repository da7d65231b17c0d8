#include "platform/ui/gdi/surface.h"

#include <algorithm>
#include <cstring>

#include "platform/ui/core/region.h"

namespace qm::ui::detail {

namespace {
// Surfaces beyond this size are refused rather than allocated.
constexpr int kMaxSide = 16384;
}

Surface::Surface(int width, int height, COLORREF fill)
{
    resize(width, height, fill);
}

COLORREF Surface::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    const std::uint8_t* p = row(y) + x * 3;
    return RGB(p[2], p[1], p[0]);
}

void Surface::setPixel(int x, int y, COLORREF c)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    std::uint8_t* p = row(y) + x * 3;
    p[0] = GetBValue(c);
    p[1] = GetGValue(c);
    p[2] = GetRValue(c);
}

void Surface::fill(const RECT& area, COLORREF c)
{
    RECT r = intersect(area, {0, 0, width_, height_});
    if (isEmpty(r))
        return;
    const std::uint8_t bgr[3] = {GetBValue(c), GetGValue(c), GetRValue(c)};
    for (int y = r.top; y < r.bottom; ++y) {
        std::uint8_t* p = row(y) + r.left * 3;
        for (int x = r.left; x < r.right; ++x, p += 3)
            std::memcpy(p, bgr, 3);
    }
}

void Surface::resize(int width, int height, COLORREF fillColour)
{
    width = std::clamp(width, 0, kMaxSide);
    height = std::clamp(height, 0, kMaxSide);
    if (width == width_ && height == height_)
        return;
    Surface next;
    next.width_ = width;
    next.height_ = height;
    next.pixels_.resize(std::size_t(width) * height * 3);
    next.fill({0, 0, width, height}, fillColour);
    const int w = std::min(width, width_);
    for (int y = 0; y < std::min(height, height_); ++y)
        std::memcpy(next.row(y), row(y), std::size_t(w) * 3);
    *this = std::move(next);
}

}  // namespace qm::ui::detail
