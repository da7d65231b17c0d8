// The drop-down list combo box, reduced to what its users need: a list of
// choices shown one at a time; a click or Down moves to the next choice, Up
// to the previous one, each with CBN_SELCHANGE.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ui/controls/control_util.h"
#include "platform/ui/controls/controls.h"
#include "platform/ui/dialogs/dialog.h"
#include "platform/ui/input/input.h"

namespace qm::ui::detail {
namespace {

struct ComboState {
    std::vector<std::string> items;
    int current = -1;
};

ControlStates<ComboState>& combos()
{
    static auto* states = new ControlStates<ComboState>;  // a UI thread may still use it at exit
    return *states;
}

void select(HWND hwnd, ComboState& s, int index, bool notify)
{
    if (index < 0 || index >= int(s.items.size()) || index == s.current)
        return;
    s.current = index;
    InvalidateRect(hwnd, nullptr, FALSE);
    if (notify)
        notifyParent(hwnd, CBN_SELCHANGE);
}

// A closed drop-down list: sunken frame, the arrow button, the current item.
void paintCombo(HWND hwnd, HDC hdc, const ComboState& s)
{
    RECT r;
    GetClientRect(hwnd, &r);
    SelectObject(hdc, controlFont(hwnd));
    FillRect(hdc, &r, GetSysColorBrush(COLOR_WINDOW));
    RECT frame = r;
    DrawEdge(hdc, &frame, EDGE_SUNKEN, BF_RECT);
    const int button = std::min<int>(16, r.right / 3);
    RECT arrow{r.right - 2 - button, 2, r.right - 2, r.bottom - 2};
    FillRect(hdc, &arrow, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(hdc, &arrow, EDGE_RAISED, BF_RECT);
    const int cx = (arrow.left + arrow.right) / 2, cy = (r.top + r.bottom) / 2;
    for (int k = 0; k < 3; ++k) {
        RECT line{cx - 3 + k, cy - 1 + k, cx + 4 - k, cy + k};
        FillRect(hdc, &line, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    if (s.current >= 0) {
        RECT text{4, 2, arrow.left - 2, r.bottom - 2};
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
        const std::string& t = s.items[std::size_t(s.current)];
        DrawText(hdc, t.c_str(), int(t.size()), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

LRESULT comboWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ComboState& s = combos().of(hwnd);
    const auto index = std::intptr_t(wParam);
    const bool validIndex = index >= 0 && index < std::intptr_t(s.items.size());
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case CB_ADDSTRING:
        s.items.emplace_back(lParam ? reinterpret_cast<const char*>(lParam) : "");
        InvalidateRect(hwnd, nullptr, FALSE);
        return LRESULT(s.items.size() - 1);
    case CB_RESETCONTENT:
        s.items.clear();
        s.current = -1;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case CB_GETCOUNT:
        return LRESULT(s.items.size());
    case CB_GETCURSEL:
        return s.current;
    case CB_SETCURSEL:
        if (!validIndex) {
            s.current = -1;
            InvalidateRect(hwnd, nullptr, FALSE);
            return CB_ERR;
        }
        select(hwnd, s, int(index), false);
        return index;
    case CB_GETLBTEXTLEN:
        return validIndex ? LRESULT(s.items[std::size_t(index)].size()) : CB_ERR;
    case CB_GETLBTEXT:
        // As on the platform the caller sizes the buffer by CB_GETLBTEXTLEN.
        if (!validIndex || !lParam)
            return CB_ERR;
        std::memcpy(reinterpret_cast<char*>(lParam), s.items[std::size_t(index)].c_str(),
                    s.items[std::size_t(index)].size() + 1);
        return LRESULT(s.items[std::size_t(index)].size());
    case WM_LBUTTONDOWN:
        if (GetFocus() != hwnd)
            SetFocus(hwnd);
        if (!s.items.empty())
            select(hwnd, s, (s.current + 1) % int(s.items.size()), true);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_DOWN)
            select(hwnd, s, s.current + 1, true);
        else if (wParam == VK_UP)
            select(hwnd, s, s.current - 1, true);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    default:
        return drawnControlMessage(hwnd, message, wParam, lParam, combos(), [&](HDC hdc) { paintCombo(hwnd, hdc, s); });
    }
}

}  // namespace

WNDPROC comboBoxProc() { return &comboWindowProc; }

}  // namespace qm::ui::detail
