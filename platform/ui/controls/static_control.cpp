// The static control: text labels, filled and framed rectangles.
#include "platform/ui/controls/control_util.h"
#include "platform/ui/controls/controls.h"
#include "platform/ui/dialogs/dialog.h"

namespace qm::ui::detail {
namespace {

void paintStatic(HWND hwnd, HDC hdc)
{
    const auto style = DWORD(GetWindowLongPtr(hwnd, GWL_STYLE));
    RECT r;
    GetClientRect(hwnd, &r);
    const DWORD type = style & SS_TYPEMASK;
    switch (type) {
    case SS_BLACKRECT: FillRect(hdc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))); return;
    case SS_GRAYRECT: FillRect(hdc, &r, GetSysColorBrush(COLOR_BTNSHADOW)); return;
    case SS_WHITERECT: FillRect(hdc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))); return;
    case SS_BLACKFRAME: FrameRect(hdc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))); return;
    case SS_ETCHEDFRAME: DrawEdge(hdc, &r, EDGE_ETCHED, BF_RECT); return;
    default: break;
    }
    SelectObject(hdc, controlFont(hwnd));
    FillRect(hdc, &r, controlBrush(hwnd, hdc, WM_CTLCOLORSTATIC));
    if (style & SS_SUNKEN)
        DrawEdge(hdc, &r, BDR_SUNKENOUTER, BF_RECT);
    if (!IsWindowEnabled(hwnd))
        SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
    SetBkMode(hdc, TRANSPARENT);
    UINT format = type == SS_CENTER ? DT_CENTER : type == SS_RIGHT ? DT_RIGHT : DT_LEFT;
    if (type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP)
        format |= DT_WORDBREAK;
    if (style & SS_NOPREFIX)
        format |= DT_NOPREFIX;
    const std::string text = getWindowText(hwnd);
    DrawText(hdc, text.c_str(), int(text.size()), &r, format);
}

LRESULT staticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto style = DWORD(GetWindowLongPtr(hwnd, GWL_STYLE));
    switch (message) {
    case WM_NCHITTEST:
        return (style & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (style & SS_NOTIFY)
            notifyParent(hwnd, message == WM_LBUTTONDOWN ? STN_CLICKED : STN_DBLCLK);
        return 0;
    case WM_SETTEXT: {
        LRESULT r = DefWindowProc(hwnd, message, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return r;
    }
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        return paintControl(hwnd, [&](HDC hdc) { paintStatic(hwnd, hdc); });
    default:
        return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

}  // namespace

WNDPROC staticProc() { return &staticWindowProc; }

}  // namespace qm::ui::detail
