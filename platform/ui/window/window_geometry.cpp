// Visibility, enabling, activation, placement, z-order and coordinates.
#include <algorithm>

#include "platform/ui/backend/backend.h"
#include "platform/ui/input/input.h"
#include "platform/ui/message/message.h"
#include "platform/ui/message/pump_internal.h"
#include "platform/ui/message/queue.h"
#include "platform/ui/window/window.h"
#include "platform/ui/window/window_internal.h"

namespace qm::ui {
namespace detail {

void invalidateWindow(Window* w, const RECT* clientRect, bool erase, bool children)
{
    RECT cr = clientRectInWindow(w);
    RECT client{0, 0, cr.right - cr.left, cr.bottom - cr.top};
    RECT area = clientRect ? intersect(*clientRect, client) : client;
    if (isEmpty(area))
        return;
    w->update.add(area);
    w->eraseNeeded = w->eraseNeeded || erase;
    if (children && !(w->style & WS_CLIPCHILDREN))
        for (Window* c : w->children) {
            if (!(c->style & WS_VISIBLE))
                continue;
            RECT inChild = intersect(area, c->rect);
            if (isEmpty(inChild))
                continue;
            RECT ccr = clientRectInWindow(c);
            inChild = offset(inChild, -(c->rect.left + ccr.left), -(c->rect.top + ccr.top));
            invalidateWindow(c, &inChild, erase, true);
        }
    messageQueue().wake();
}

void invalidateUnder(Window* parent, const RECT& area)
{
    if (parent)
        invalidateWindow(parent, &area, true, true);
}

void syncNative(Window* w)
{
    if (w && isTopLevel(w))
        backend().updateWindow(w->handle, w->rect, w->text, (w->style & WS_VISIBLE) != 0);
}

void raiseTopLevel(Window* w)
{
    auto& tops = state().topLevels;
    auto move = [&](Window* t) {
        tops.erase(std::remove(tops.begin(), tops.end(), t), tops.end());
        if (t->exStyle & WS_EX_TOPMOST) {
            tops.push_back(t);
        } else {
            auto firstTopmost = std::find_if(tops.begin(), tops.end(), [](Window* x) { return x->exStyle & WS_EX_TOPMOST; });
            tops.insert(firstTopmost, t);
        }
    };
    move(w);
    // Owned windows stay above their owner.
    std::vector<Window*> owned;
    for (Window* t : tops)
        if (t != w && t->owner == w)
            owned.push_back(t);
    for (Window* t : owned)
        raiseTopLevel(t);
}

void activateWindow(Window* w, WORD how)
{
    State& st = state();
    if (st.active == (w ? w->handle : nullptr))
        return;
    const HWND old = st.active;
    st.active = w ? w->handle : nullptr;
    if (windowFromHandle(old))
        SendMessage(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(st.active));
    if (w && windowFromHandle(w->handle))
        SendMessage(w->handle, WM_ACTIVATE, how, reinterpret_cast<LPARAM>(old));
}

void dropInputState(Window* w)
{
    State& st = state();
    auto within = [&](HWND h) {
        Window* x = windowFromHandle(h);
        return x && isDescendant(x, w);
    };
    if (within(st.capture)) {
        const HWND old = st.capture;
        st.capture = nullptr;
        SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    }
    if (within(st.focus)) {
        Window* next = w->parent;
        while (next && (next->destroying || !(next->style & WS_VISIBLE)))
            next = next->parent;
        const HWND old = st.focus;
        st.focus = next ? next->handle : nullptr;
        SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(st.focus), 0);
        if (st.focus)
            SendMessage(st.focus, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    }
    if (isTopLevel(w) && st.active == w->handle) {
        Window* next = nullptr;
        auto usable = [&](Window* t) {
            return t && t != w && !t->destroying && (t->style & WS_VISIBLE) && !(t->style & WS_DISABLED);
        };
        if (usable(w->owner))
            next = w->owner;
        for (auto it = st.topLevels.rbegin(); !next && it != st.topLevels.rend(); ++it)
            if (usable(*it))
                next = *it;
        activateWindow(next, WA_ACTIVE);
    }
}

namespace {

Window* hitTest(Window* w, POINT screen)
{
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
        Window* c = *it;
        if (!(c->style & WS_VISIBLE) || !contains(windowRectOnScreen(c), screen))
            continue;
        // A disabled control lets its parent have the pointer.
        if (c->style & WS_DISABLED)
            return w;
        Window* hit = hitTest(c, screen);
        if (hit == c && SendMessage(c->handle, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)) == HTTRANSPARENT)
            continue;
        return hit;
    }
    return w;
}

}  // namespace

Window* windowAtPoint(POINT screen)
{
    auto tops = state().topLevels;
    for (auto it = tops.rbegin(); it != tops.rend(); ++it)
        if (((*it)->style & WS_VISIBLE) && contains((*it)->rect, screen))
            return hitTest(*it, screen);
    return nullptr;
}

}  // namespace detail

using namespace detail;

BOOL ShowWindow(HWND hwnd, int command)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w)
        return FALSE;
    const bool wasVisible = (w->style & WS_VISIBLE) != 0;
    if (command == SW_HIDE) {
        if (!wasVisible)
            return FALSE;
        SendMessage(hwnd, WM_SHOWWINDOW, FALSE, 0);
        if (!(w = windowFromHandle(hwnd)))
            return TRUE;
        w->style &= ~WS_VISIBLE;
        invalidateUnder(w->parent, w->rect);
        dropInputState(w);
        syncNative(w);
        return TRUE;
    }
    if (!wasVisible) {
        SendMessage(hwnd, WM_SHOWWINDOW, TRUE, 0);
        if (!(w = windowFromHandle(hwnd)))
            return FALSE;
        w->style |= WS_VISIBLE;
        invalidateWindow(w, nullptr, true, true);
        syncNative(w);
    }
    if (isTopLevel(w)) {
        raiseTopLevel(w);
        if (command != SW_SHOWNA && command != SW_SHOWNOACTIVATE && !(w->style & WS_DISABLED))
            activateWindow(w, WA_ACTIVE);
        if (!wasVisible)
            noteTopLevelShown();
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    return w && isReallyVisible(w);
}

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w)
        return FALSE;
    const bool wasDisabled = (w->style & WS_DISABLED) != 0;
    if (enable == !wasDisabled)
        return wasDisabled;
    if (enable) {
        w->style &= ~WS_DISABLED;
    } else {
        w->style |= WS_DISABLED;
        // A disabled window keeps neither the focus nor the mouse.
        State& st = state();
        if (Window* c = windowFromHandle(st.capture); c && isDescendant(c, w))
            ReleaseCapture();
        if (Window* f = windowFromHandle(st.focus); f && isDescendant(f, w))
            SetFocus(nullptr);
    }
    SendMessage(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    return w && !(w->style & WS_DISABLED);
}

BOOL GetWindowRect(HWND hwnd, RECT* rect)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w || !rect)
        return FALSE;
    *rect = windowRectOnScreen(w);
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w || !rect)
        return FALSE;
    RECT cr = clientRectInWindow(w);
    *rect = {0, 0, cr.right - cr.left, cr.bottom - cr.top};
    return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w)
        return FALSE;
    const RECT old = w->rect;
    RECT next = old;
    if (!(flags & SWP_NOMOVE))
        next = offset(next, x - old.left, y - old.top);
    if (!(flags & SWP_NOSIZE)) {
        next.right = next.left + std::max(0, width);
        next.bottom = next.top + std::max(0, height);
    }
    if (!(flags & SWP_NOZORDER)) {
        if (isTopLevel(w)) {
            if (insertAfter == HWND_TOPMOST)
                w->exStyle |= WS_EX_TOPMOST;
            else if (insertAfter == HWND_NOTOPMOST)
                w->exStyle &= ~WS_EX_TOPMOST;
            auto& tops = state().topLevels;
            if (insertAfter == HWND_BOTTOM) {
                tops.erase(std::remove(tops.begin(), tops.end(), w), tops.end());
                tops.insert(tops.begin(), w);
            } else {
                raiseTopLevel(w);
            }
        } else {
            auto& list = w->parent->children;
            list.erase(std::remove(list.begin(), list.end(), w), list.end());
            Window* after = windowFromHandle(insertAfter);
            if (insertAfter == HWND_BOTTOM)
                list.insert(list.begin(), w);
            else if (after && after->parent == w->parent)
                list.insert(std::find(list.begin(), list.end(), after), w);  // just below `after`
            else
                list.push_back(w);
        }
        if ((w->style & WS_VISIBLE) && !(flags & SWP_NOREDRAW)) {
            invalidateUnder(w->parent, old);
            invalidateWindow(w, nullptr, true, true);
        }
    }
    const bool moved = next.left != old.left || next.top != old.top;
    const bool sized = (next.right - next.left) != (old.right - old.left) || (next.bottom - next.top) != (old.bottom - old.top);
    if (moved || sized) {
        w->rect = next;
        if (w->surface && sized)
            w->surface->resize(next.right - next.left, next.bottom - next.top, RGB(255, 255, 255));
        if (sized) {
            RECT client;
            GetClientRect(hwnd, &client);
            SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
        }
        if (moved)
            SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(next.left, next.top));
        if (!(w = windowFromHandle(hwnd)))
            return TRUE;
        if ((w->style & WS_VISIBLE) && !(flags & SWP_NOREDRAW)) {
            invalidateUnder(w->parent, old);
            invalidateWindow(w, nullptr, true, true);
        }
        syncNative(w);
    }
    if (flags & SWP_SHOWWINDOW)
        ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    else if (flags & SWP_HIDEWINDOW)
        ShowWindow(hwnd, SW_HIDE);
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint)
{
    return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hwnd) { return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

BOOL ClientToScreen(HWND hwnd, POINT* point)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w || !point)
        return FALSE;
    POINT o = clientOriginOnScreen(w);
    point->x += o.x;
    point->y += o.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w || !point)
        return FALSE;
    POINT o = clientOriginOnScreen(w);
    point->x -= o.x;
    point->y -= o.y;
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count)
{
    UiLock lock;
    Window* f = windowFromHandle(from);
    Window* t = windowFromHandle(to);
    POINT a = f ? clientOriginOnScreen(f) : POINT{};
    POINT b = t ? clientOriginOnScreen(t) : POINT{};
    const LONG dx = a.x - b.x, dy = a.y - b.y;
    for (UINT i = 0; points && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return MAKELONG(dx, dy);
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL, DWORD exStyle)
{
    if (!rect)
        return FALSE;
    Window probe;
    probe.style = style;
    probe.exStyle = exStyle;
    probe.rect = {0, 0, 100, 100};
    RECT cr = clientRectInWindow(&probe);
    rect->left -= cr.left;
    rect->top -= cr.top;
    rect->right += 100 - cr.right;
    rect->bottom += 100 - cr.bottom;
    return TRUE;
}

BOOL CenterWindow(HWND hwnd, HWND over)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w)
        return FALSE;
    RECT area;
    Window* o = windowFromHandle(over);
    const SIZE screen = backend().screenSize();
    if (o && isReallyVisible(o))
        area = windowRectOnScreen(o);
    else
        area = {0, 0, screen.cx, screen.cy};
    RECT wr = windowRectOnScreen(w);
    const LONG width = wr.right - wr.left, height = wr.bottom - wr.top;
    LONG x = area.left + (area.right - area.left - width) / 2;
    LONG y = area.top + (area.bottom - area.top - height) / 2;
    if (isTopLevel(w)) {
        // Stay on the screen.
        x = std::max<LONG>(0, std::min<LONG>(x, screen.cx - width));
        y = std::max<LONG>(0, std::min<LONG>(y, screen.cy - height));
    } else {
        POINT origin = clientOriginOnScreen(w->parent);
        x -= origin.x;
        y -= origin.y;
    }
    return SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND WindowFromPoint(POINT screenPoint)
{
    UiLock lock;
    Window* w = windowAtPoint(screenPoint);
    if (!w || (rootOf(w)->style & WS_DISABLED))
        return nullptr;
    return w->handle;
}

HWND ChildWindowFromPoint(HWND parent, POINT clientPoint)
{
    UiLock lock;
    Window* p = windowFromHandle(parent);
    if (!p)
        return nullptr;
    RECT cr = clientRectInWindow(p);
    if (!contains({0, 0, cr.right - cr.left, cr.bottom - cr.top}, clientPoint))
        return nullptr;
    for (auto it = p->children.rbegin(); it != p->children.rend(); ++it)
        if (contains((*it)->rect, clientPoint))
            return (*it)->handle;
    return parent;
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN: return backend().screenSize().cx;
    case SM_CYSCREEN: return backend().screenSize().cy;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    default: return 0;
    }
}

}  // namespace qm::ui
