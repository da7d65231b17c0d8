// Graphic objects and device contexts behind their handles.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/ui/core/region.h"
#include "platform/ui/gdi/gdi.h"
#include "platform/ui/gdi/surface.h"

namespace qm::ui::detail {

struct GdiObject {
    enum class Kind { Bitmap, Brush, Pen, Font };
    Kind kind = Kind::Brush;
    bool stock = false;
    // Bitmap
    std::shared_ptr<Surface> surface;
    HDC selectedInto = nullptr;
    // Brush and pen
    COLORREF colour = 0;
    bool hollow = false;  // null brush or pen
    int penWidth = 1;
    // Font
    LOGFONT logFont;
};

GdiObject* gdiObject(HGDIOBJ handle);
GdiObject* gdiObject(HGDIOBJ handle, GdiObject::Kind kind);
HGDIOBJ addGdiObject(std::unique_ptr<GdiObject> object);
HBITMAP makeBitmap(Surface surface);
HFONT defaultGuiFont();

struct DcState {
    HPEN pen = nullptr;
    HBRUSH brush = nullptr;
    HFONT font = nullptr;
    HBITMAP bitmap = nullptr;
    COLORREF textColour = 0;
    COLORREF bkColour = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    UINT textAlign = TA_LEFT | TA_TOP;
    int stretchMode = BLACKONWHITE;
    POINT position;
};

struct DeviceContext {
    HWND hwnd = nullptr;  // window DCs
    bool memory = false;
    // Window DCs: where the client (or window) origin lies on the top-level
    // surface and which of its pixels may be drawn.
    POINT origin;
    Region clip;
    DcState current;
    std::vector<DcState> saved;
};

DeviceContext* deviceContext(HDC hdc);
HDC makeWindowDc(HWND hwnd, POINT origin, Region clip);

// A drawing target resolved for one operation: the surface, the DC origin
// and the clip in surface coordinates.
struct DrawTarget {
    Surface* surface = nullptr;
    POINT origin;
    Region clip;
};
std::optional<DrawTarget> drawTarget(HDC hdc);

// Marks a window DC's top-level surface as changed.
void markDrawn(HDC hdc);

// Fills a rectangle given in DC coordinates, clipped.
void fillClipped(DrawTarget& target, RECT rect, COLORREF colour);
// Copies `src` (whole-pixel nearest-neighbour scaling) into the destination
// rectangle of the target, clipped. Source coordinates outside `src` are
// skipped. `mirrorY` reads rows bottom-up.
void blitScaled(DrawTarget& target, const RECT& destInDc, const Surface& src, const RECT& srcRect, DWORD rop);

}  // namespace qm::ui::detail
