// The button control: push buttons, owner-drawn buttons, check boxes and
// group boxes.
#include "platform/ui/controls/controls.h"
#include "platform/ui/controls/control_util.h"
#include "platform/ui/dialogs/dialog.h"
#include "platform/ui/input/input.h"

namespace qm::ui::detail {
namespace {

struct ButtonState {
    bool pushed = false;
    bool tracking = false;
    UINT check = BST_UNCHECKED;
};

ControlStates<ButtonState>& buttons()
{
    static auto* states = new ControlStates<ButtonState>;  // a UI thread may still use it at exit
    return *states;
}

DWORD typeOf(HWND hwnd) { return DWORD(GetWindowLongPtr(hwnd, GWL_STYLE)) & BS_TYPEMASK; }

bool pointInside(HWND hwnd, LPARAM lParam)
{
    RECT r;
    GetClientRect(hwnd, &r);
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

void setPushed(HWND hwnd, bool pushed)
{
    ButtonState& s = buttons().of(hwnd);
    if (s.pushed == pushed)
        return;
    s.pushed = pushed;
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
}

void click(HWND hwnd)
{
    ButtonState& s = buttons().of(hwnd);
    const DWORD type = typeOf(hwnd);
    if (type == BS_AUTOCHECKBOX) {
        s.check = s.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        InvalidateRect(hwnd, nullptr, FALSE);
    } else if (type == BS_AUTORADIOBUTTON) {
        s.check = BST_CHECKED;
        InvalidateRect(hwnd, nullptr, FALSE);
    }
    notifyParent(hwnd, BN_CLICKED);
}

void paintOwnerDrawn(HWND hwnd, HDC hdc, const ButtonState& s)
{
    DRAWITEMSTRUCT dis;
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = UINT(GetDlgCtrlID(hwnd));
    dis.itemAction = ODA_DRAWENTIRE;
    if (s.pushed)
        dis.itemState |= ODS_SELECTED;
    if (GetFocus() == hwnd)
        dis.itemState |= ODS_FOCUS;
    if (!IsWindowEnabled(hwnd))
        dis.itemState |= ODS_DISABLED;
    dis.hwndItem = hwnd;
    dis.hDC = hdc;
    GetClientRect(hwnd, &dis.rcItem);
    if (HWND parent = GetParent(hwnd))
        SendMessage(parent, WM_DRAWITEM, WPARAM(dis.CtlID), reinterpret_cast<LPARAM>(&dis));
}

void paintPushButton(HWND hwnd, HDC hdc, const ButtonState& s)
{
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(hdc, &r, GetSysColorBrush(COLOR_BTNFACE));
    const bool isDefault = (DWORD(GetWindowLongPtr(hwnd, GWL_STYLE)) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    RECT edge = r;
    if (isDefault || GetFocus() == hwnd) {
        FrameRect(hdc, &edge, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        edge = {edge.left + 1, edge.top + 1, edge.right - 1, edge.bottom - 1};
    }
    if (s.pushed)
        FrameRect(hdc, &edge, GetSysColorBrush(COLOR_BTNSHADOW));
    else
        DrawEdge(hdc, &edge, EDGE_RAISED, BF_RECT);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    RECT text = r;
    if (s.pushed)
        text = {text.left + 1, text.top + 1, text.right + 1, text.bottom + 1};
    const std::string caption = getWindowText(hwnd);
    DrawText(hdc, caption.c_str(), int(caption.size()), &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (GetFocus() == hwnd) {
        RECT focus{r.left + 4, r.top + 4, r.right - 4, r.bottom - 4};
        DrawFocusRect(hdc, &focus);
    }
}

void paintCheckBox(HWND hwnd, HDC hdc, const ButtonState& s)
{
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(hdc, &r, controlBrush(hwnd, hdc, WM_CTLCOLORSTATIC));
    const int box = 13;
    const int top = (r.bottom - box) / 2;
    RECT b{0, top, box, top + box};
    FillRect(hdc, &b, GetSysColorBrush(s.pushed ? COLOR_BTNFACE : COLOR_WINDOW));
    RECT frame = b;
    DrawEdge(hdc, &frame, EDGE_SUNKEN, BF_RECT);
    if (s.check == BST_CHECKED) {
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
        HGDIOBJ old = SelectObject(hdc, pen);
        for (int k = 0; k < 2; ++k) {
            MoveToEx(hdc, 3, top + 6 + k, nullptr);
            LineTo(hdc, 5, top + 8 + k);
            LineTo(hdc, 10, top + 3 + k);
        }
        SelectObject(hdc, old);
        DeleteObject(pen);
    }
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    RECT text{box + 4, 0, r.right, r.bottom};
    const std::string caption = getWindowText(hwnd);
    DrawText(hdc, caption.c_str(), int(caption.size()), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

void paintGroupBox(HWND hwnd, HDC hdc)
{
    RECT r;
    GetClientRect(hwnd, &r);
    TEXTMETRIC tm;
    GetTextMetrics(hdc, &tm);
    RECT frame{r.left, r.top + tm.tmHeight / 2, r.right, r.bottom};
    DrawEdge(hdc, &frame, EDGE_ETCHED, BF_RECT);
    const std::string caption = getWindowText(hwnd);
    if (caption.empty())
        return;
    HBRUSH brush = controlBrush(hwnd, hdc, WM_CTLCOLORSTATIC);
    RECT text{8, 0, r.right - 8, tm.tmHeight};
    RECT measured = text;
    DrawText(hdc, caption.c_str(), int(caption.size()), &measured, DT_CALCRECT | DT_SINGLELINE);
    RECT back{6, 0, measured.right + 2, tm.tmHeight};
    FillRect(hdc, &back, brush);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawText(hdc, caption.c_str(), int(caption.size()), &text, DT_LEFT | DT_SINGLELINE);
}

LRESULT buttonWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const DWORD type = typeOf(hwnd);
    ButtonState& s = buttons().of(hwnd);
    switch (message) {
    case WM_NCHITTEST:
        return type == BS_GROUPBOX ? HTTRANSPARENT : HTCLIENT;
    case WM_GETDLGCODE:
        if (type == BS_GROUPBOX)
            return DLGC_STATIC;
        if (type == BS_PUSHBUTTON || type == BS_OWNERDRAW)
            return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        if (type == BS_DEFPUSHBUTTON)
            return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        return DLGC_BUTTON;
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONDOWN:
        if (type == BS_GROUPBOX)
            return 0;
        if (GetFocus() != hwnd)
            SetFocus(hwnd);
        SetCapture(hwnd);
        s.tracking = true;
        setPushed(hwnd, true);
        if (message == WM_LBUTTONDBLCLK &&
            (type == BS_OWNERDRAW || (DWORD(GetWindowLongPtr(hwnd, GWL_STYLE)) & BS_NOTIFY)))
            notifyParent(hwnd, BN_DOUBLECLICKED);
        return 0;
    case WM_MOUSEMOVE:
        if (s.tracking)
            setPushed(hwnd, pointInside(hwnd, lParam));
        return 0;
    case WM_LBUTTONUP:
        if (s.tracking) {
            s.tracking = false;
            const bool inside = pointInside(hwnd, lParam);
            ReleaseCapture();
            setPushed(hwnd, false);
            if (inside && IsWindow(hwnd))
                click(hwnd);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (s.tracking && reinterpret_cast<HWND>(lParam) != hwnd) {
            s.tracking = false;
            setPushed(hwnd, false);
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE && type != BS_GROUPBOX)
            setPushed(hwnd, true);
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SPACE && s.pushed) {
            setPushed(hwnd, false);
            click(hwnd);
        }
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (message == WM_KILLFOCUS && s.pushed && !s.tracking)
            setPushed(hwnd, false);
        InvalidateRect(hwnd, nullptr, FALSE);
        if (DWORD(GetWindowLongPtr(hwnd, GWL_STYLE)) & BS_NOTIFY)
            notifyParent(hwnd, message == WM_SETFOCUS ? BN_SETFOCUS : BN_KILLFOCUS);
        return 0;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_SETTEXT: {
        LRESULT r = DefWindowProc(hwnd, message, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return r;
    }
    case BM_GETSTATE:
        return LRESULT(s.check | (s.pushed ? BST_PUSHED : 0) | (GetFocus() == hwnd ? BST_FOCUS : 0));
    case BM_SETSTATE:
        setPushed(hwnd, wParam != 0);
        return 0;
    case BM_GETCHECK:
        return LRESULT(s.check);
    case BM_SETCHECK:
        if (s.check != UINT(wParam)) {
            s.check = UINT(wParam);
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case BM_SETSTYLE: {
        const auto style = DWORD(GetWindowLongPtr(hwnd, GWL_STYLE));
        SetWindowLongPtr(hwnd, GWL_STYLE, LONG_PTR((style & ~BS_TYPEMASK) | (DWORD(wParam) & BS_TYPEMASK)));
        if (lParam)
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case BM_CLICK:
        if (IsWindowEnabled(hwnd))
            click(hwnd);
        return 0;
    default:
        return drawnControlMessage(hwnd, message, wParam, lParam, buttons(), [&](HDC hdc) {
            SelectObject(hdc, controlFont(hwnd));
            switch (type) {
            case BS_OWNERDRAW: paintOwnerDrawn(hwnd, hdc, s); break;
            case BS_GROUPBOX: paintGroupBox(hwnd, hdc); break;
            case BS_CHECKBOX:
            case BS_AUTOCHECKBOX:
            case BS_RADIOBUTTON:
            case BS_AUTORADIOBUTTON: paintCheckBox(hwnd, hdc, s); break;
            default: paintPushButton(hwnd, hdc, s); break;
            }
        });
    }
}

}  // namespace

WNDPROC buttonProc() { return &buttonWindowProc; }

}  // namespace qm::ui::detail
