// Window tree bookkeeping and geometry shared by the whole window system.
#include <algorithm>
#include <strings.h>

#include "platform/ui/core/window_system.h"
#include "platform/ui/window/styles.h"
#include "platform/ui/window/styles.h"

namespace qm::ui::detail {

State& state()
{
    static State* s = new State;  // outlives static destruction order issues at exit
    return *s;
}

Window* windowFromHandle(HWND hwnd)
{
    if (hwnd == nullptr)
        return nullptr;
    auto& windows = state().windows;
    auto it = windows.find(hwnd);
    return it == windows.end() ? nullptr : it->second.get();
}

bool isTopLevel(const Window* w) { return w->parent == nullptr; }

Window* rootOf(Window* w)
{
    while (w && w->parent)
        w = w->parent;
    return w;
}

bool isDescendant(const Window* w, const Window* ancestor)
{
    for (; w; w = w->parent)
        if (w == ancestor)
            return true;
    return false;
}

bool isReallyVisible(const Window* w)
{
    for (; w; w = w->parent)
        if (!(w->style & WS_VISIBLE))
            return false;
    return true;
}

namespace {

LONG frameInset(const Window* w)
{
    LONG inset = 0;
    if (w->exStyle & WS_EX_CLIENTEDGE)
        inset += 2;
    if (w->exStyle & WS_EX_STATICEDGE)
        inset += 1;
    // A caption frame belongs to the native window; a plain border is ours.
    if ((w->style & WS_CAPTION) == WS_BORDER)
        inset += 1;
    return inset;
}

RECT windowRectInRoot(const Window* w)
{
    if (isTopLevel(w))
        return {0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
    POINT o = clientOriginInRoot(w->parent);
    return offset(w->rect, o.x, o.y);
}

}  // namespace

RECT clientRectInWindow(const Window* w)
{
    const LONG inset = frameInset(w);
    const LONG width = w->rect.right - w->rect.left;
    const LONG height = w->rect.bottom - w->rect.top;
    RECT r{inset, inset, std::max(inset, width - inset), std::max(inset, height - inset)};
    return r;
}

POINT clientOriginInRoot(const Window* w)
{
    RECT wr = windowRectInRoot(w);
    RECT cr = clientRectInWindow(w);
    return {wr.left + cr.left, wr.top + cr.top};
}

RECT windowRectOnScreen(const Window* w)
{
    if (isTopLevel(w))
        return w->rect;
    POINT o = clientOriginOnScreen(w->parent);
    return offset(w->rect, o.x, o.y);
}

POINT clientOriginOnScreen(const Window* w)
{
    RECT wr = windowRectOnScreen(w);
    RECT cr = clientRectInWindow(w);
    return {wr.left + cr.left, wr.top + cr.top};
}

namespace {

Region visibleRegion(const Window* w, const RECT& areaInRoot, bool clipChildren)
{
    Region region(areaInRoot);
    for (const Window* a = w->parent; a; a = a->parent) {
        POINT ao = clientOriginInRoot(a);
        RECT ac = clientRectInWindow(a);
        region.intersectWith(offset({0, 0, ac.right - ac.left, ac.bottom - ac.top}, ao.x, ao.y));
    }
    // Siblings above a window that clips its siblings keep their pixels.
    for (const Window* cur = w; cur->parent; cur = cur->parent) {
        if (!(cur->style & WS_CLIPSIBLINGS))
            continue;
        const auto& siblings = cur->parent->children;
        auto it = std::find(siblings.begin(), siblings.end(), cur);
        for (++it; it != siblings.end(); ++it)
            if ((*it)->style & WS_VISIBLE)
                region.subtract(windowRectInRoot(*it));
    }
    if (clipChildren)
        for (const Window* c : w->children)
            if (c->style & WS_VISIBLE)
                region.subtract(windowRectInRoot(c));
    return region;
}

}  // namespace

Region visibleClientRegion(const Window* w, bool clipChildren)
{
    POINT o = clientOriginInRoot(w);
    RECT cr = clientRectInWindow(w);
    return visibleRegion(w, offset({0, 0, cr.right - cr.left, cr.bottom - cr.top}, o.x, o.y), clipChildren);
}

Region visibleWindowRegion(const Window* w) { return visibleRegion(w, windowRectInRoot(w), false); }

const WindowClass* findClass(const std::string& name)
{
    for (const auto& c : state().classes)
        if (strcasecmp(c->name.c_str(), name.c_str()) == 0)
            return c.get();
    return nullptr;
}

}  // namespace qm::ui::detail
