// Helpers the standard controls share.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

#include "platform/ui/controls/control_styles.h"
#include "platform/ui/gdi/gdi.h"
#include "platform/ui/message/message.h"
#include "platform/ui/window/window.h"

namespace qm::ui::detail {

// Per-window state of one control class, dropped when the window goes.
template <typename T>
class ControlStates {
public:
    T& of(HWND hwnd) { return *states_.try_emplace(hwnd, std::make_unique<T>()).first->second; }
    void drop(HWND hwnd) { states_.erase(hwnd); }

private:
    std::unordered_map<HWND, std::unique_ptr<T>> states_;
};

inline HFONT controlFont(HWND hwnd)
{
    auto font = reinterpret_cast<HFONT>(SendMessage(hwnd, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

inline void notifyParent(HWND hwnd, WORD code)
{
    HWND parent = GetParent(hwnd);
    if (parent)
        SendMessage(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code), reinterpret_cast<LPARAM>(hwnd));
}

// Asks the parent for the background brush (and colours) of a control.
inline HBRUSH controlBrush(HWND hwnd, HDC hdc, UINT ctlColorMessage)
{
    HWND parent = GetParent(hwnd);
    auto brush = reinterpret_cast<HBRUSH>(
        parent ? SendMessage(parent, ctlColorMessage, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(hwnd))
               : 0);
    if (!brush)
        brush = reinterpret_cast<HBRUSH>(DefWindowProc(hwnd, ctlColorMessage, reinterpret_cast<WPARAM>(hdc), 0));
    return brush;
}

// WM_PAINT for a control: `paint(hdc)` draws the invalid part between
// BeginPaint and EndPaint.
template <typename Paint>
LRESULT paintControl(HWND hwnd, Paint&& paint)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    paint(hdc);
    EndPaint(hwnd, &ps);
    return 0;
}

// What the self-drawn controls answer alike once their own messages are
// handled: no background erase (the paint covers the whole client area), the
// paint itself, their state dropped with the window, the default for the rest.
template <typename State, typename Paint>
LRESULT drawnControlMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, ControlStates<State>& states,
                            Paint&& paint)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        return paintControl(hwnd, std::forward<Paint>(paint));
    case WM_NCDESTROY:
        states.drop(hwnd);
        return 0;
    default:
        return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

}  // namespace qm::ui::detail
