// The standard progress bar: a range, a position and blocks.
#include <algorithm>
#include <utility>

#include "platform/ui/controls/control_util.h"
#include "platform/ui/controls/controls.h"

namespace qm::ui::detail {
namespace {

struct ProgressState {
    int low = 0;
    int high = 100;
    int pos = 0;
    int step = 10;
};

ControlStates<ProgressState>& progressBars()
{
    static auto* states = new ControlStates<ProgressState>;  // a UI thread may still use it at exit
    return *states;
}

int setPosition(HWND hwnd, ProgressState& s, int pos)
{
    const int old = s.pos;
    s.pos = std::clamp(pos, s.low, std::max(s.low, s.high));
    if (s.pos != old)
        InvalidateRect(hwnd, nullptr, FALSE);
    return old;
}

// Blocks of the highlight colour across the part of the range done.
void paintProgress(HWND hwnd, HDC hdc, const ProgressState& s)
{
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(hdc, &r, GetSysColorBrush(COLOR_BTNFACE));
    const int span = std::max(1, s.high - s.low);
    const int filled = int((long long)(r.right - 2) * (s.pos - s.low) / span);
    HBRUSH blocks = GetSysColorBrush(COLOR_HIGHLIGHT);
    for (int x = 1; x < 1 + filled; x += 10) {
        RECT b{x, 1, std::min(x + 8, 1 + filled), r.bottom - 1};
        FillRect(hdc, &b, blocks);
    }
}

LRESULT progressWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ProgressState& s = progressBars().of(hwnd);
    switch (message) {
    case PBM_SETRANGE: {
        const LRESULT old = MAKELPARAM(s.low, s.high);
        s.low = LOWORD(std::uintptr_t(lParam));
        s.high = HIWORD(std::uintptr_t(lParam));
        setPosition(hwnd, s, s.pos);
        return old;
    }
    case PBM_SETRANGE32: {
        const LRESULT old = MAKELPARAM(s.low, s.high);
        s.low = int(wParam);
        s.high = int(lParam);
        setPosition(hwnd, s, s.pos);
        return old;
    }
    case PBM_SETPOS: return setPosition(hwnd, s, int(wParam));
    case PBM_DELTAPOS: return setPosition(hwnd, s, s.pos + int(wParam));
    case PBM_SETSTEP: return std::exchange(s.step, int(wParam));
    case PBM_STEPIT: {
        int next = s.pos + s.step;
        if (next > s.high)
            next = s.low + (next - s.high);  // wraps, as the platform's bar does
        return setPosition(hwnd, s, next);
    }
    case PBM_GETPOS: return s.pos;
    default:
        return drawnControlMessage(hwnd, message, wParam, lParam, progressBars(),
                                   [&](HDC hdc) { paintProgress(hwnd, hdc, s); });
    }
}

}  // namespace

WNDPROC progressProc() { return &progressWindowProc; }

}  // namespace qm::ui::detail
