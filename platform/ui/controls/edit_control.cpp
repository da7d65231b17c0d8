// The single-line edit control: typing, selection by keys and mouse,
// read-only mode, a length limit, and EN_CHANGE after every change.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ui/controls/control_util.h"
#include "platform/ui/controls/controls.h"
#include "platform/ui/dialogs/dialog.h"
#include "platform/ui/input/input.h"

namespace qm::ui::detail {
namespace {

struct EditState {
    std::string text;
    std::size_t anchor = 0;  // selection runs from anchor to caret
    std::size_t caret = 0;
    std::size_t scroll = 0;  // first character shown
    std::size_t limit = 30000;
    bool tracking = false;
};

ControlStates<EditState>& edits()
{
    static auto* states = new ControlStates<EditState>;  // a UI thread may still use it at exit
    return *states;
}

constexpr int kMargin = 2;

DWORD styleOf(HWND hwnd) { return DWORD(GetWindowLongPtr(hwnd, GWL_STYLE)); }

std::string shownText(HWND hwnd, const EditState& s)
{
    return (styleOf(hwnd) & ES_PASSWORD) ? std::string(s.text.size(), '*') : s.text;
}

// Pixel offsets of every caret position of the shown text.
std::vector<int> caretOffsets(HWND hwnd, const EditState& s)
{
    const std::string shown = shownText(hwnd, s);
    std::vector<int> offsets(shown.size() + 1, 0);
    HDC hdc = GetDC(hwnd);
    SelectObject(hdc, controlFont(hwnd));
    for (std::size_t i = 1; i <= shown.size(); ++i) {
        SIZE size;
        GetTextExtentPoint32(hdc, shown.c_str(), int(i), &size);
        offsets[i] = size.cx;
    }
    ReleaseDC(hwnd, hdc);
    return offsets;
}

void keepCaretVisible(HWND hwnd, EditState& s)
{
    RECT r;
    GetClientRect(hwnd, &r);
    const int width = std::max(1, int(r.right) - 2 * kMargin);
    const auto offsets = caretOffsets(hwnd, s);
    s.scroll = std::min(s.scroll, s.caret);
    while (s.scroll < s.caret && offsets[s.caret] - offsets[s.scroll] > width)
        ++s.scroll;
}

void changed(HWND hwnd, EditState& s)
{
    keepCaretVisible(hwnd, s);
    InvalidateRect(hwnd, nullptr, FALSE);
    notifyParent(hwnd, EN_UPDATE);
    if (IsWindow(hwnd))
        notifyParent(hwnd, EN_CHANGE);
}

void moveCaret(HWND hwnd, EditState& s, std::size_t to, bool extend)
{
    s.caret = std::min(to, s.text.size());
    if (!extend)
        s.anchor = s.caret;
    keepCaretVisible(hwnd, s);
    InvalidateRect(hwnd, nullptr, FALSE);
}

std::pair<std::size_t, std::size_t> selection(const EditState& s)
{
    return {std::min(s.anchor, s.caret), std::max(s.anchor, s.caret)};
}

// Replaces the selection; refuses what would pass the limit.
bool replaceSelection(HWND hwnd, EditState& s, const std::string& with)
{
    auto [from, to] = selection(s);
    const std::size_t keep = s.text.size() - (to - from);
    std::string insert = with;
    if (keep + insert.size() > s.limit) {
        insert.resize(s.limit > keep ? s.limit - keep : 0);
        notifyParent(hwnd, EN_MAXTEXT);
        if (insert.empty() && from == to)
            return false;
    }
    s.text.replace(from, to - from, insert);
    s.caret = s.anchor = from + insert.size();
    return true;
}

std::size_t hitCaret(HWND hwnd, const EditState& s, int x)
{
    const auto offsets = caretOffsets(hwnd, s);
    const int target = x - kMargin + offsets[std::min(s.scroll, offsets.size() - 1)];
    std::size_t best = 0;
    for (std::size_t i = 1; i < offsets.size(); ++i)
        if (std::abs(offsets[i] - target) < std::abs(offsets[best] - target))
            best = i;
    return best;
}

void paintEdit(HWND hwnd, HDC hdc, const EditState& s)
{
    const DWORD style = styleOf(hwnd);
    RECT r;
    GetClientRect(hwnd, &r);
    SelectObject(hdc, controlFont(hwnd));
    const bool plain = (style & ES_READONLY) || !IsWindowEnabled(hwnd);
    FillRect(hdc, &r, controlBrush(hwnd, hdc, plain ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT));
    if (!IsWindowEnabled(hwnd))
        SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
    const std::string shown = shownText(hwnd, s);
    const auto offsets = caretOffsets(hwnd, s);
    TEXTMETRIC tm;
    GetTextMetrics(hdc, &tm);
    const int y = std::max(0, (int(r.bottom) - int(tm.tmHeight)) / 2);
    int x = kMargin - offsets[s.scroll];
    const int width = offsets.back();
    if ((style & ES_CENTER) && width < r.right)
        x = (r.right - width) / 2;
    else if ((style & ES_RIGHT) && width < r.right)
        x = r.right - kMargin - width;
    SetBkMode(hdc, TRANSPARENT);
    TextOut(hdc, x, y, shown.c_str(), int(shown.size()));
    const bool focused = GetFocus() == hwnd;
    auto [from, to] = selection(s);
    if (focused && from != to) {
        RECT sel{x + offsets[from], y, x + offsets[to], y + tm.tmHeight};
        FillRect(hdc, &sel, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        TextOut(hdc, x + offsets[from], y, shown.c_str() + from, int(to - from));
    }
    if (focused) {
        RECT caret{x + offsets[s.caret], y, x + offsets[s.caret] + 1, y + tm.tmHeight};
        FillRect(hdc, &caret, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
}

LRESULT editWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    EditState& s = edits().of(hwnd);
    const DWORD style = styleOf(hwnd);
    const bool readOnly = (style & ES_READONLY) != 0;
    switch (message) {
    case WM_NCCREATE: {
        const auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
        s.text = cs && cs->lpszName ? cs->lpszName : "";
        return DefWindowProc(hwnd, message, wParam, lParam);
    }
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case WM_SETTEXT:
        s.text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        s.caret = s.anchor = s.scroll = 0;
        changed(hwnd, s);
        return TRUE;
    case WM_GETTEXT: {
        if (wParam == 0 || lParam == 0)
            return 0;
        const std::size_t n = std::min(s.text.size(), std::size_t(wParam) - 1);
        std::memcpy(reinterpret_cast<char*>(lParam), s.text.data(), n);
        reinterpret_cast<char*>(lParam)[n] = '\0';
        return LRESULT(n);
    }
    case WM_GETTEXTLENGTH:
        return LRESULT(s.text.size());
    case WM_CHAR: {
        const unsigned ch = unsigned(wParam);
        if (readOnly)
            return 0;
        if (ch == 8) {
            auto [from, to] = selection(s);
            if (from == to && from > 0)
                s.anchor = from - 1;
            else if (from == to)
                return 0;
            replaceSelection(hwnd, s, "");
            changed(hwnd, s);
            return 0;
        }
        if (ch < 32 || ch == 127)
            return 0;
        if ((style & ES_NUMBER) && !std::isdigit(int(ch)))
            return 0;
        char c = char(ch);
        if (style & ES_UPPERCASE)
            c = char(std::toupper(int(ch)));
        else if (style & ES_LOWERCASE)
            c = char(std::tolower(int(ch)));
        if (replaceSelection(hwnd, s, std::string(1, c)))
            changed(hwnd, s);
        return 0;
    }
    case WM_KEYDOWN: {
        const bool shift = GetKeyState(VK_SHIFT) < 0;
        switch (wParam) {
        case VK_LEFT: moveCaret(hwnd, s, s.caret > 0 ? s.caret - 1 : 0, shift); break;
        case VK_RIGHT: moveCaret(hwnd, s, s.caret + 1, shift); break;
        case VK_HOME: moveCaret(hwnd, s, 0, shift); break;
        case VK_END: moveCaret(hwnd, s, s.text.size(), shift); break;
        case VK_DELETE: {
            if (readOnly)
                break;
            auto [from, to] = selection(s);
            if (from == to) {
                if (from >= s.text.size())
                    break;
                s.caret = from + 1;
                s.anchor = from;
            }
            replaceSelection(hwnd, s, "");
            changed(hwnd, s);
            break;
        }
        default: break;
        }
        return 0;
    }
    case WM_LBUTTONDOWN: {
        if (GetFocus() != hwnd)
            SetFocus(hwnd);
        moveCaret(hwnd, s, hitCaret(hwnd, s, GET_X_LPARAM(lParam)), (wParam & MK_SHIFT) != 0);
        SetCapture(hwnd);
        s.tracking = true;
        return 0;
    }
    case WM_MOUSEMOVE:
        if (s.tracking)
            moveCaret(hwnd, s, hitCaret(hwnd, s, GET_X_LPARAM(lParam)), true);
        return 0;
    case WM_LBUTTONUP:
        if (s.tracking) {
            s.tracking = false;
            ReleaseCapture();
        }
        return 0;
    case WM_LBUTTONDBLCLK:
        s.anchor = 0;
        moveCaret(hwnd, s, s.text.size(), true);
        return 0;
    case WM_CAPTURECHANGED:
        s.tracking = false;
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(hwnd, nullptr, FALSE);
        notifyParent(hwnd, message == WM_SETFOCUS ? EN_SETFOCUS : EN_KILLFOCUS);
        return 0;
    case EM_SETSEL: {
        const auto start = std::intptr_t(wParam);
        const auto end = std::intptr_t(lParam);
        if (start < 0) {
            s.anchor = s.caret;
        } else {
            const std::size_t size = s.text.size();
            s.anchor = std::min(std::size_t(start), size);
            s.caret = end < 0 ? size : std::min(std::size_t(end), size);
        }
        keepCaretVisible(hwnd, s);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    case EM_GETSEL: {
        auto [from, to] = selection(s);
        if (wParam)
            *reinterpret_cast<DWORD*>(wParam) = DWORD(from);
        if (lParam)
            *reinterpret_cast<DWORD*>(lParam) = DWORD(to);
        return MAKELONG(int(std::min<std::size_t>(from, 0xFFFF)), int(std::min<std::size_t>(to, 0xFFFF)));
    }
    case EM_REPLACESEL:
        if (lParam && replaceSelection(hwnd, s, reinterpret_cast<const char*>(lParam)))
            changed(hwnd, s);
        return 0;
    case EM_LIMITTEXT:
        s.limit = wParam ? std::size_t(wParam) : std::size_t(0x7FFFFFFE);
        return 0;
    case EM_GETLIMITTEXT:
        return LRESULT(s.limit);
    case EM_SETREADONLY:
        SetWindowLongPtr(hwnd, GWL_STYLE, LONG_PTR(wParam ? (style | ES_READONLY) : (style & ~ES_READONLY)));
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    default:
        return drawnControlMessage(hwnd, message, wParam, lParam, edits(), [&](HDC hdc) { paintEdit(hwnd, hdc, s); });
    }
}

}  // namespace

WNDPROC editProc() { return &editWindowProc; }

}  // namespace qm::ui::detail
