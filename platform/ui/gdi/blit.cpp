// Block transfers between surfaces: BitBlt, StretchBlt and PatBlt.
#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/ui/core/window_system.h"
#include "platform/ui/gdi/gdi_internal.h"

namespace qm::ui {
namespace detail {
namespace {

inline void applyRop(std::uint8_t* d, const std::uint8_t* s, DWORD rop)
{
    for (int i = 0; i < 3; ++i) {
        switch (rop) {
        case SRCPAINT: d[i] = std::uint8_t(d[i] | s[i]); break;
        case SRCAND: d[i] = std::uint8_t(d[i] & s[i]); break;
        case SRCINVERT: d[i] = std::uint8_t(d[i] ^ s[i]); break;
        default: d[i] = s[i]; break;
        }
    }
}

}  // namespace

void fillClipped(DrawTarget& target, RECT rect, COLORREF colour)
{
    RECT r = offset(rect, target.origin.x, target.origin.y);
    for (const RECT& c : target.clip.rects())
        target.surface->fill(intersect(r, c), colour);
}

void blitScaled(DrawTarget& target, const RECT& destInDc, const Surface& srcIn, const RECT& srcRect, DWORD rop)
{
    const LONG dw = destInDc.right - destInDc.left;
    const LONG dh = destInDc.bottom - destInDc.top;
    const LONG sw = srcRect.right - srcRect.left;
    const LONG sh = srcRect.bottom - srcRect.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return;
    // Copying within one surface reads from a snapshot so overlaps are safe.
    Surface snapshot;
    const Surface* src = &srcIn;
    if (src == target.surface) {
        snapshot = srcIn;
        src = &snapshot;
    }
    const RECT dest = offset(destInDc, target.origin.x, target.origin.y);
    const bool unscaled = dw == sw && dh == sh;
    for (const RECT& c : target.clip.rects()) {
        RECT area = intersect(intersect(dest, c), {0, 0, target.surface->width(), target.surface->height()});
        if (isEmpty(area))
            continue;
        for (LONG y = area.top; y < area.bottom; ++y) {
            const LONG sy = srcRect.top + LONG((std::int64_t(y - dest.top) * sh) / dh);
            if (sy < 0 || sy >= src->height())
                continue;
            std::uint8_t* drow = target.surface->row(y);
            const std::uint8_t* srow = src->row(sy);
            if (unscaled && rop == SRCCOPY) {
                LONG x0 = area.left, x1 = area.right;
                LONG sx0 = srcRect.left + (x0 - dest.left);
                // Trim to the source's columns.
                if (sx0 < 0) {
                    x0 -= sx0;
                    sx0 = 0;
                }
                x1 = std::min<LONG>(x1, x0 + (src->width() - sx0));
                if (x1 > x0)
                    std::memcpy(drow + x0 * 3, srow + sx0 * 3, std::size_t(x1 - x0) * 3);
                continue;
            }
            for (LONG x = area.left; x < area.right; ++x) {
                const LONG sx = srcRect.left + LONG((std::int64_t(x - dest.left) * sw) / dw);
                if (sx < 0 || sx >= src->width())
                    continue;
                applyRop(drow + x * 3, srow + sx * 3, rop);
            }
        }
    }
}

}  // namespace detail

using namespace detail;

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int wSrc, int hSrc,
                DWORD rop)
{
    UiLock lock;
    auto d = drawTarget(dest);
    if (!d)
        return FALSE;
    if (rop == BLACKNESS || rop == WHITENESS || rop == PATCOPY)
        return PatBlt(dest, x, y, width, height, rop);
    auto s = drawTarget(src);
    if (!s)
        return FALSE;
    RECT srcRect{s->origin.x + xSrc, s->origin.y + ySrc, s->origin.x + xSrc + wSrc, s->origin.y + ySrc + hSrc};
    blitScaled(*d, {x, y, x + width, y + height}, *s->surface, srcRect, rop);
    markDrawn(dest);
    return TRUE;
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop)
{
    return StretchBlt(dest, x, y, width, height, src, xSrc, ySrc, width, height, rop);
}

BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop)
{
    UiLock lock;
    auto t = drawTarget(hdc);
    DeviceContext* dc = deviceContext(hdc);
    if (!t || !dc)
        return FALSE;
    COLORREF colour = 0;
    if (rop == WHITENESS)
        colour = RGB(255, 255, 255);
    else if (rop == PATCOPY) {
        GdiObject* brush = gdiObject(dc->current.brush, GdiObject::Kind::Brush);
        if (!brush || brush->hollow)
            return TRUE;
        colour = brush->colour;
    } else if (rop != BLACKNESS) {
        return FALSE;
    }
    if (width < 0) {
        x += width;
        width = -width;
    }
    if (height < 0) {
        y += height;
        height = -height;
    }
    fillClipped(*t, {x, y, x + width, y + height}, colour);
    markDrawn(hdc);
    return TRUE;
}

}  // namespace qm::ui
