// Update regions and painting. Invalidation only records what needs drawing;
// retrieval turns it into one WM_PAINT per window, parents before children.
#include "platform/ui/gdi/gdi.h"
#include "platform/ui/gdi/gdi_internal.h"
#include "platform/ui/message/message.h"
#include "platform/ui/message/pump_internal.h"
#include "platform/ui/window/window.h"
#include "platform/ui/window/window_internal.h"

namespace qm::ui {
namespace detail {
namespace {

Window* needingPaint(Window* w)
{
    if (!(w->style & WS_VISIBLE))
        return nullptr;
    if (!w->update.empty())
        return w;
    for (Window* c : w->children)
        if (Window* found = needingPaint(c))
            return found;
    return nullptr;
}

// Draws the frame of a bordered window (the part outside its client area).
void drawFrame(Window* w)
{
    const RECT cr = clientRectInWindow(w);
    if (cr.left == 0)
        return;
    HDC hdc = GetWindowDC(w->handle);
    RECT r{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
    if (w->exStyle & WS_EX_CLIENTEDGE) {
        DrawEdge(hdc, &r, EDGE_SUNKEN, BF_RECT);
    } else if (w->exStyle & WS_EX_STATICEDGE) {
        DrawEdge(hdc, &r, BDR_SUNKENOUTER, BF_RECT);
    }
    if ((w->style & WS_CAPTION) == WS_BORDER)
        FrameRect(hdc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(w->handle, hdc);
}

void paintNow(Window* w, bool children)
{
    const HWND hwnd = w->handle;
    if ((w->style & WS_VISIBLE) && !w->update.empty())
        SendMessage(hwnd, WM_PAINT, 0, 0);
    if (!children || !(w = windowFromHandle(hwnd)))
        return;
    std::vector<HWND> kids;
    for (Window* c : w->children)
        kids.push_back(c->handle);
    for (HWND k : kids)
        if (Window* c = windowFromHandle(k))
            paintNow(c, true);
}

}  // namespace

HWND findWindowNeedingPaint(HWND filter)
{
    if (filter) {
        Window* f = windowFromHandle(filter);
        Window* w = f && isReallyVisible(f) ? needingPaint(f) : nullptr;
        return w ? w->handle : nullptr;
    }
    for (Window* top : state().topLevels)
        if (Window* w = needingPaint(top))
            return w->handle;
    return nullptr;
}

}  // namespace detail

using namespace detail;

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w || !ps)
        return nullptr;
    Region update = std::move(w->update);
    w->update.clear();
    const bool erase = w->eraseNeeded;
    w->eraseNeeded = false;
    drawFrame(w);
    Region clip = visibleClientRegion(w, (w->style & WS_CLIPCHILDREN) != 0);
    const POINT origin = clientOriginInRoot(w);
    Region updateInRoot = update;
    updateInRoot.offsetBy(origin.x, origin.y);
    clip.intersectWith(updateInRoot);
    HDC hdc = makeWindowDc(hwnd, origin, std::move(clip));
    ps->hdc = hdc;
    ps->rcPaint = update.bounds();
    ps->fErase = TRUE;
    if (erase)
        ps->fErase = SendMessage(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) ? FALSE : TRUE;
    return hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps)
{
    if (!ps)
        return FALSE;
    ReleaseDC(hwnd, ps->hdc);
    return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase)
{
    UiLock lock;
    if (!hwnd) {
        for (Window* top : state().topLevels)
            invalidateWindow(top, nullptr, erase, true);
        return TRUE;
    }
    Window* w = windowFromHandle(hwnd);
    if (!w)
        return FALSE;
    invalidateWindow(w, rect, erase != FALSE, true);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w)
        return FALSE;
    if (rect)
        w->update.subtract(*rect);
    else
        w->update.clear();
    if (w->update.empty())
        w->eraseNeeded = false;
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w)
        return FALSE;
    if (rect)
        *rect = w->update.bounds();
    return w->update.empty() ? FALSE : TRUE;
}

BOOL UpdateWindow(HWND hwnd)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w)
        return FALSE;
    paintNow(w, false);
    return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, void*, UINT flags)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w)
        return FALSE;
    const bool children = (flags & RDW_ALLCHILDREN) || (!(flags & RDW_NOCHILDREN) && !(w->style & WS_CLIPCHILDREN));
    if (flags & RDW_INVALIDATE)
        invalidateWindow(w, rect, (flags & RDW_ERASE) != 0, children);
    if (flags & RDW_VALIDATE)
        ValidateRect(hwnd, rect);
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW))
        paintNow(w, children);
    return TRUE;
}

}  // namespace qm::ui
