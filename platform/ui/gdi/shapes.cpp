// Fills, frames, lines and single pixels.
#include <cstdlib>

#include "platform/ui/core/window_system.h"
#include "platform/ui/gdi/gdi_internal.h"

namespace qm::ui {
namespace detail {
namespace {

void plot(DrawTarget& t, LONG x, LONG y, COLORREF c)
{
    POINT p{x + t.origin.x, y + t.origin.y};
    if (t.clip.contains(p))
        t.surface->setPixel(p.x, p.y, c);
}

const GdiObject* currentPen(DeviceContext* dc)
{
    const GdiObject* pen = gdiObject(dc->current.pen, GdiObject::Kind::Pen);
    return pen && !pen->hollow ? pen : nullptr;
}

void line(DrawTarget& t, POINT from, POINT to, const GdiObject& pen)
{
    // Bresenham; the end point itself is not drawn.
    LONG x = from.x, y = from.y;
    const LONG dx = std::abs(to.x - x), dy = -std::abs(to.y - y);
    const LONG sx = x < to.x ? 1 : -1, sy = y < to.y ? 1 : -1;
    LONG err = dx + dy;
    const LONG half = (pen.penWidth - 1) / 2;
    while (x != to.x || y != to.y) {
        if (pen.penWidth == 1)
            plot(t, x, y, pen.colour);
        else
            fillClipped(t, {x - half, y - half, x - half + pen.penWidth, y - half + pen.penWidth}, pen.colour);
        const LONG e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

}  // namespace
}  // namespace detail

using namespace detail;

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush)
{
    UiLock lock;
    auto t = drawTarget(hdc);
    GdiObject* b = gdiObject(brush, GdiObject::Kind::Brush);
    if (!t || !rect || !b)
        return 0;
    if (!b->hollow)
        fillClipped(*t, *rect, b->colour);
    markDrawn(hdc);
    return 1;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush)
{
    UiLock lock;
    auto t = drawTarget(hdc);
    GdiObject* b = gdiObject(brush, GdiObject::Kind::Brush);
    if (!t || !rect || !b || isEmpty(*rect))
        return 0;
    if (!b->hollow) {
        const RECT& r = *rect;
        fillClipped(*t, {r.left, r.top, r.right, r.top + 1}, b->colour);
        fillClipped(*t, {r.left, r.bottom - 1, r.right, r.bottom}, b->colour);
        fillClipped(*t, {r.left, r.top, r.left + 1, r.bottom}, b->colour);
        fillClipped(*t, {r.right - 1, r.top, r.right, r.bottom}, b->colour);
    }
    markDrawn(hdc);
    return 1;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom)
{
    UiLock lock;
    auto t = drawTarget(hdc);
    DeviceContext* dc = deviceContext(hdc);
    if (!t || !dc)
        return FALSE;
    GdiObject* brush = gdiObject(dc->current.brush, GdiObject::Kind::Brush);
    if (brush && !brush->hollow)
        fillClipped(*t, {left, top, right, bottom}, brush->colour);
    if (const GdiObject* pen = currentPen(dc)) {
        line(*t, {left, top}, {right - 1, top}, *pen);
        line(*t, {right - 1, top}, {right - 1, bottom - 1}, *pen);
        line(*t, {right - 1, bottom - 1}, {left, bottom - 1}, *pen);
        line(*t, {left, bottom - 1}, {left, top}, *pen);
    }
    markDrawn(hdc);
    return TRUE;
}

BOOL MoveToEx(HDC hdc, int x, int y, POINT* previous)
{
    UiLock lock;
    DeviceContext* dc = deviceContext(hdc);
    if (!dc)
        return FALSE;
    if (previous)
        *previous = dc->current.position;
    dc->current.position = {x, y};
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y)
{
    UiLock lock;
    auto t = drawTarget(hdc);
    DeviceContext* dc = deviceContext(hdc);
    if (!t || !dc)
        return FALSE;
    if (const GdiObject* pen = currentPen(dc))
        line(*t, dc->current.position, {x, y}, *pen);
    dc->current.position = {x, y};
    markDrawn(hdc);
    return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF colour)
{
    UiLock lock;
    auto t = drawTarget(hdc);
    if (!t)
        return COLORREF(-1);
    plot(*t, x, y, colour & 0xFFFFFF);
    markDrawn(hdc);
    return colour & 0xFFFFFF;
}

COLORREF GetPixel(HDC hdc, int x, int y)
{
    UiLock lock;
    auto t = drawTarget(hdc);
    if (!t)
        return 0xFFFFFFFF;
    POINT p{x + t->origin.x, y + t->origin.y};
    if (!t->clip.contains(p))
        return 0xFFFFFFFF;  // CLR_INVALID
    return t->surface->pixel(p.x, p.y);
}

BOOL DrawEdge(HDC hdc, RECT* rect, UINT edge, UINT)
{
    UiLock lock;
    auto t = drawTarget(hdc);
    if (!t || !rect)
        return FALSE;
    auto frame = [&](RECT r, COLORREF topLeft, COLORREF bottomRight) {
        fillClipped(*t, {r.left, r.top, r.right - 1, r.top + 1}, topLeft);
        fillClipped(*t, {r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
        fillClipped(*t, {r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
        fillClipped(*t, {r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    };
    RECT r = *rect;
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW),
                   dark = GetSysColor(COLOR_3DDKSHADOW), face = GetSysColor(COLOR_3DLIGHT);
    if (edge & BDR_RAISEDOUTER)
        frame(r, face, dark);
    else if (edge & BDR_SUNKENOUTER)
        frame(r, shadow, light);
    if (edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER))
        r = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    if (edge & BDR_RAISEDINNER)
        frame(r, light, shadow);
    else if (edge & BDR_SUNKENINNER)
        frame(r, dark, face);
    if (edge & (BDR_RAISEDINNER | BDR_SUNKENINNER))
        r = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    *rect = r;
    markDrawn(hdc);
    return TRUE;
}

BOOL DrawFocusRect(HDC hdc, const RECT* rect)
{
    UiLock lock;
    auto t = drawTarget(hdc);
    if (!t || !rect)
        return FALSE;
    // A dotted frame: every other pixel inverted.
    auto invert = [&](LONG x, LONG y) {
        POINT p{x + t->origin.x, y + t->origin.y};
        if (t->clip.contains(p))
            t->surface->setPixel(p.x, p.y, t->surface->pixel(p.x, p.y) ^ 0xFFFFFF);
    };
    const RECT& r = *rect;
    for (LONG x = r.left; x < r.right; x += 2) {
        invert(x, r.top);
        invert(x, r.bottom - 1);
    }
    for (LONG y = r.top + 2; y < r.bottom - 1; y += 2) {
        invert(r.left, y);
        invert(r.right - 1, y);
    }
    markDrawn(hdc);
    return TRUE;
}

}  // namespace qm::ui
