// The list box: strings with selection (single, multiple or extended),
// scrolling by keys and wheel, LBN_SELCHANGE and LBN_DBLCLK.
#include <algorithm>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

#include "platform/ui/controls/control_util.h"
#include "platform/ui/controls/controls.h"
#include "platform/ui/dialogs/dialog.h"
#include "platform/ui/input/input.h"

namespace qm::ui::detail {
namespace {

struct Item {
    std::string text;
    LPARAM data = 0;
    bool selected = false;
};

struct ListState {
    std::vector<Item> items;
    int caret = -1;
    int anchor = 0;
    int top = 0;
};

ControlStates<ListState>& lists()
{
    static auto* states = new ControlStates<ListState>;  // a UI thread may still use it at exit
    return *states;
}

DWORD styleOf(HWND hwnd) { return DWORD(GetWindowLongPtr(hwnd, GWL_STYLE)); }
bool multi(HWND hwnd) { return (styleOf(hwnd) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0; }

int itemHeight(HWND hwnd)
{
    HDC hdc = GetDC(hwnd);
    SelectObject(hdc, controlFont(hwnd));
    TEXTMETRIC tm;
    GetTextMetrics(hdc, &tm);
    ReleaseDC(hwnd, hdc);
    return std::max<int>(1, tm.tmHeight + 1);
}

int visibleCount(HWND hwnd)
{
    RECT r;
    GetClientRect(hwnd, &r);
    return std::max(1, int(r.bottom) / itemHeight(hwnd));
}

bool valid(const ListState& s, std::intptr_t i) { return i >= 0 && i < std::intptr_t(s.items.size()); }

void ensureVisible(HWND hwnd, ListState& s, int index)
{
    const int shown = visibleCount(hwnd);
    if (index < s.top)
        s.top = index;
    else if (index >= s.top + shown)
        s.top = index - shown + 1;
    s.top = std::max(0, std::min(s.top, int(s.items.size()) - shown));
    s.top = std::max(0, s.top);
}

void notify(HWND hwnd, WORD code)
{
    if (styleOf(hwnd) & LBS_NOTIFY)
        notifyParent(hwnd, code);
}

// Selects by a user action on `index`; returns whether the selection changed.
bool selectByUser(HWND hwnd, ListState& s, int index, bool shift, bool control)
{
    if (!valid(s, index) || (styleOf(hwnd) & LBS_NOSEL))
        return false;
    std::vector<bool> before;
    for (const Item& it : s.items)
        before.push_back(it.selected);
    const DWORD style = styleOf(hwnd);
    if (style & LBS_MULTIPLESEL) {
        s.items[std::size_t(index)].selected = !s.items[std::size_t(index)].selected;
    } else if ((style & LBS_EXTENDEDSEL) && control) {
        s.items[std::size_t(index)].selected = !s.items[std::size_t(index)].selected;
        s.anchor = index;
    } else if ((style & LBS_EXTENDEDSEL) && shift) {
        const int lo = std::min(s.anchor, index), hi = std::max(s.anchor, index);
        for (int i = 0; i < int(s.items.size()); ++i)
            s.items[std::size_t(i)].selected = i >= lo && i <= hi;
    } else {
        for (Item& it : s.items)
            it.selected = false;
        s.items[std::size_t(index)].selected = true;
        s.anchor = index;
    }
    s.caret = index;
    ensureVisible(hwnd, s, index);
    InvalidateRect(hwnd, nullptr, FALSE);
    for (std::size_t i = 0; i < s.items.size(); ++i)
        if (before[i] != s.items[i].selected)
            return true;
    return false;
}

int insertItem(HWND hwnd, ListState& s, std::intptr_t at, const char* text)
{
    Item item;
    item.text = text ? text : "";
    if (at < 0 || at > std::intptr_t(s.items.size()))
        at = std::intptr_t(s.items.size());
    if ((styleOf(hwnd) & LBS_SORT) && at == std::intptr_t(s.items.size())) {
        auto pos = std::upper_bound(s.items.begin(), s.items.end(), item, [](const Item& a, const Item& b) {
            return strcasecmp(a.text.c_str(), b.text.c_str()) < 0;
        });
        at = pos - s.items.begin();
    }
    s.items.insert(s.items.begin() + at, std::move(item));
    if (s.caret >= at)
        ++s.caret;
    InvalidateRect(hwnd, nullptr, FALSE);
    return int(at);
}

void paintList(HWND hwnd, HDC hdc, const ListState& s)
{
    RECT r;
    GetClientRect(hwnd, &r);
    SelectObject(hdc, controlFont(hwnd));
    FillRect(hdc, &r, controlBrush(hwnd, hdc, WM_CTLCOLORLISTBOX));
    const int h = itemHeight(hwnd);
    SetBkMode(hdc, TRANSPARENT);
    const COLORREF normal = GetTextColor(hdc);
    for (int i = s.top, y = 0; i < int(s.items.size()) && y < r.bottom; ++i, y += h) {
        const Item& it = s.items[std::size_t(i)];
        RECT line{0, y, r.right, y + h};
        if (it.selected) {
            FillRect(hdc, &line, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        } else {
            SetTextColor(hdc, IsWindowEnabled(hwnd) ? normal : GetSysColor(COLOR_GRAYTEXT));
        }
        RECT text{2, y, r.right - 2, y + h};
        DrawText(hdc, it.text.c_str(), int(it.text.size()), &text, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
        if (i == s.caret && GetFocus() == hwnd)
            DrawFocusRect(hdc, &line);
    }
}

LRESULT listWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ListState& s = lists().of(hwnd);
    const auto index = std::intptr_t(wParam);
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case LB_ADDSTRING:
        return insertItem(hwnd, s, -1, reinterpret_cast<const char*>(lParam));
    case LB_INSERTSTRING:
        return insertItem(hwnd, s, index < 0 ? std::intptr_t(s.items.size()) : index,
                          reinterpret_cast<const char*>(lParam));
    case LB_DELETESTRING:
        if (!valid(s, index))
            return LB_ERR;
        s.items.erase(s.items.begin() + index);
        if (s.caret >= int(s.items.size()))
            s.caret = int(s.items.size()) - 1;
        InvalidateRect(hwnd, nullptr, FALSE);
        return LRESULT(s.items.size());
    case LB_RESETCONTENT:
        s.items.clear();
        s.caret = -1;
        s.top = s.anchor = 0;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case LB_GETCOUNT:
        return LRESULT(s.items.size());
    case LB_GETTEXTLEN:
        return valid(s, index) ? LRESULT(s.items[std::size_t(index)].text.size()) : LB_ERR;
    case LB_GETTEXT: {
        // As on the platform the caller sizes the buffer by LB_GETTEXTLEN.
        if (!valid(s, index) || !lParam)
            return LB_ERR;
        const std::string& t = s.items[std::size_t(index)].text;
        std::memcpy(reinterpret_cast<char*>(lParam), t.c_str(), t.size() + 1);
        return LRESULT(t.size());
    }
    case LB_GETITEMDATA:
        return valid(s, index) ? s.items[std::size_t(index)].data : LB_ERR;
    case LB_SETITEMDATA:
        if (!valid(s, index))
            return LB_ERR;
        s.items[std::size_t(index)].data = lParam;
        return 0;
    case LB_GETCURSEL:
        if (multi(hwnd))
            return s.caret;
        for (std::size_t i = 0; i < s.items.size(); ++i)
            if (s.items[i].selected)
                return LRESULT(i);
        return LB_ERR;
    case LB_SETCURSEL:
        if (multi(hwnd))
            return LB_ERR;
        for (Item& it : s.items)
            it.selected = false;
        if (!valid(s, index)) {
            InvalidateRect(hwnd, nullptr, FALSE);
            return LB_ERR;
        }
        s.items[std::size_t(index)].selected = true;
        s.caret = s.anchor = int(index);
        ensureVisible(hwnd, s, int(index));
        InvalidateRect(hwnd, nullptr, FALSE);
        return index;
    case LB_GETSEL:
        return valid(s, index) ? LRESULT(s.items[std::size_t(index)].selected) : LB_ERR;
    case LB_SETSEL:
        if (!multi(hwnd))
            return LB_ERR;
        if (std::intptr_t(lParam) == -1) {
            for (Item& it : s.items)
                it.selected = wParam != 0;
        } else if (valid(s, lParam)) {
            s.items[std::size_t(lParam)].selected = wParam != 0;
        } else {
            return LB_ERR;
        }
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case LB_GETSELCOUNT:
        if (!multi(hwnd))
            return LB_ERR;
        return LRESULT(std::count_if(s.items.begin(), s.items.end(), [](const Item& it) { return it.selected; }));
    case LB_GETSELITEMS: {
        if (!multi(hwnd) || !lParam)
            return LB_ERR;
        auto* out = reinterpret_cast<int*>(lParam);
        LRESULT n = 0;
        for (std::size_t i = 0; i < s.items.size() && n < LRESULT(wParam); ++i)
            if (s.items[i].selected)
                out[n++] = int(i);
        return n;
    }
    case LB_GETTOPINDEX:
        return s.top;
    case LB_SETTOPINDEX:
        if (!valid(s, index))
            return LB_ERR;
        s.top = int(index);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case LB_FINDSTRINGEXACT: {
        const char* wanted = reinterpret_cast<const char*>(lParam);
        for (std::size_t i = 0; wanted && i < s.items.size(); ++i)
            if (strcasecmp(s.items[i].text.c_str(), wanted) == 0)
                return LRESULT(i);
        return LB_ERR;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (GetFocus() != hwnd)
            SetFocus(hwnd);
        const int i = s.top + GET_Y_LPARAM(lParam) / itemHeight(hwnd);
        if (!valid(s, i))
            return 0;
        const bool changedSelection =
            message == WM_LBUTTONDOWN && selectByUser(hwnd, s, i, (wParam & MK_SHIFT) != 0, (wParam & MK_CONTROL) != 0);
        if (changedSelection)
            notify(hwnd, LBN_SELCHANGE);
        if (message == WM_LBUTTONDBLCLK && IsWindow(hwnd))
            notify(hwnd, LBN_DBLCLK);
        return 0;
    }
    case WM_KEYDOWN: {
        if (s.items.empty())
            return 0;
        int next = s.caret < 0 ? 0 : s.caret;
        const int page = visibleCount(hwnd);
        switch (wParam) {
        case VK_UP: next = std::max(0, next - 1); break;
        case VK_DOWN: next = std::min(int(s.items.size()) - 1, next + 1); break;
        case VK_HOME: next = 0; break;
        case VK_END: next = int(s.items.size()) - 1; break;
        case VK_PRIOR: next = std::max(0, next - page); break;
        case VK_NEXT: next = std::min(int(s.items.size()) - 1, next + page); break;
        default: return 0;
        }
        if (selectByUser(hwnd, s, next, GetKeyState(VK_SHIFT) < 0, false))
            notify(hwnd, LBN_SELCHANGE);
        return 0;
    }
    case WM_MOUSEWHEEL: {
        const int delta = short(HIWORD(wParam));
        s.top = std::max(0, std::min(s.top - delta / 40, int(s.items.size()) - visibleCount(hwnd)));
        s.top = std::max(0, s.top);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    default:
        return drawnControlMessage(hwnd, message, wParam, lParam, lists(), [&](HDC hdc) { paintList(hwnd, hdc, s); });
    }
}

}  // namespace

WNDPROC listBoxProc() { return &listWindowProc; }

}  // namespace qm::ui::detail
