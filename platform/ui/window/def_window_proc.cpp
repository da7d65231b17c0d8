// Default handling of window messages.
#include <algorithm>
#include <cstring>

#include "platform/ui/core/window_system.h"
#include "platform/ui/gdi/gdi.h"
#include "platform/ui/input/input.h"
#include "platform/ui/message/message.h"
#include "platform/ui/message/pump_internal.h"
#include "platform/ui/window/window.h"
#include "platform/ui/window/window_internal.h"

namespace qm::ui {

using namespace detail;

namespace {

// Class brushes may be given as a system colour index plus one.
HBRUSH resolveBrush(HBRUSH brush)
{
    const auto value = reinterpret_cast<std::uintptr_t>(brush);
    if (value > 0 && value <= 31)
        return GetSysColorBrush(int(value) - 1);
    return brush;
}

LRESULT defaultCtlColor(UINT message, WPARAM wParam)
{
    HDC hdc = reinterpret_cast<HDC>(wParam);
    const bool white = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
    SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(hdc, GetSysColor(white ? COLOR_WINDOW : COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(white ? COLOR_WINDOW : COLOR_BTNFACE));
}

}  // namespace

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w)
        return 0;
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    case WM_SETTEXT:
        w->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        syncNative(w);
        return TRUE;
    case WM_GETTEXT: {
        if (wParam == 0 || lParam == 0)
            return 0;
        const std::size_t n = std::min(w->text.size(), std::size_t(wParam) - 1);
        char* out = reinterpret_cast<char*>(lParam);
        std::memcpy(out, w->text.data(), n);
        out[n] = '\0';
        return LRESULT(n);
    }
    case WM_GETTEXTLENGTH:
        return LRESULT(w->text.size());
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: {
        HBRUSH brush = resolveBrush(w->cls->background);
        if (!brush)
            return 0;
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
        return 1;
    }
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE)
            SendMessage(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_SETCURSOR: {
        if (w->parent && SendMessage(w->parent->handle, WM_SETCURSOR, wParam, lParam))
            return TRUE;
        if (!(w = windowFromHandle(hwnd)))
            return TRUE;
        // A parent asked on behalf of a child leaves the shape to the child.
        if (reinterpret_cast<HWND>(wParam) != hwnd)
            return FALSE;
        if (LOWORD(std::uintptr_t(lParam)) == HTCLIENT && w->cls->cursor) {
            SetCursor(w->cls->cursor);
            return TRUE;
        }
        if (!w->parent) {
            SetCursor(LoadCursor(nullptr, IDC_ARROW));
            return TRUE;
        }
        return FALSE;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            Window* focus = windowFromHandle(state().focus);
            if (!focus || !isDescendant(focus, w))
                SetFocus(hwnd);
        }
        return 0;
    case WM_NCHITTEST: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(hwnd, &p);
        RECT r;
        GetClientRect(hwnd, &r);
        return detail::contains(r, p) ? HTCLIENT : HTBORDER;
    }
    case WM_SETFONT:
        w->font = reinterpret_cast<HFONT>(wParam);
        if (lParam)
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(w->font);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        return defaultCtlColor(message, wParam);
    case WM_MOUSEWHEEL:
        return w->parent ? SendMessage(w->parent->handle, message, wParam, lParam) : 0;
    default:
        return 0;
    }
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    UiLock lock;
    return callProc(proc, hwnd, message, wParam, lParam);
}

}  // namespace qm::ui
