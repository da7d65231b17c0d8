// Keyboard focus, mouse capture, activation and key state.
#include "platform/ui/core/window_system.h"
#include "platform/ui/input/input.h"
#include "platform/ui/input/input_state.h"
#include "platform/ui/message/message.h"
#include "platform/ui/window/window.h"
#include "platform/ui/window/window_internal.h"

namespace qm::ui {
namespace detail {

InputState& inputState()
{
    static InputState* s = new InputState;
    return *s;
}

}  // namespace detail

using namespace detail;

HWND SetFocus(HWND hwnd)
{
    UiLock lock;
    State& st = state();
    const HWND old = st.focus;
    if (hwnd == nullptr) {
        st.focus = nullptr;
        if (windowFromHandle(old))
            SendMessage(old, WM_KILLFOCUS, 0, 0);
        return old;
    }
    Window* w = windowFromHandle(hwnd);
    // Disabled windows and windows inside a disabled one take no focus.
    if (!w || w->destroying)
        return nullptr;
    for (Window* a = w; a; a = a->parent)
        if (a->style & WS_DISABLED)
            return nullptr;
    if (hwnd == old)
        return old;
    Window* root = rootOf(w);
    if (st.active != root->handle)
        activateWindow(root, WA_ACTIVE);
    const HWND previous = st.focus;  // activation may have moved it
    if (previous == hwnd)
        return old;
    st.focus = hwnd;
    if (windowFromHandle(previous))
        SendMessage(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (st.focus == hwnd && windowFromHandle(hwnd))
        SendMessage(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return old;
}

HWND GetFocus()
{
    UiLock lock;
    return state().focus;
}

HWND SetCapture(HWND hwnd)
{
    UiLock lock;
    State& st = state();
    if (!windowFromHandle(hwnd))
        return nullptr;
    const HWND old = st.capture;
    st.capture = hwnd;
    if (old && old != hwnd && windowFromHandle(old))
        SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return old;
}

BOOL ReleaseCapture()
{
    UiLock lock;
    State& st = state();
    const HWND old = st.capture;
    st.capture = nullptr;
    if (old && windowFromHandle(old))
        SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture()
{
    UiLock lock;
    return state().capture;
}

HWND SetActiveWindow(HWND hwnd)
{
    UiLock lock;
    const HWND old = state().active;
    Window* w = windowFromHandle(hwnd);
    if (!w)
        return nullptr;
    w = rootOf(w);
    if (w->style & WS_DISABLED)
        return nullptr;
    raiseTopLevel(w);
    activateWindow(w, WA_ACTIVE);
    return old;
}

HWND GetActiveWindow()
{
    UiLock lock;
    return state().active;
}

BOOL SetForegroundWindow(HWND hwnd) { return SetActiveWindow(hwnd) != nullptr || GetActiveWindow() == hwnd; }
HWND GetForegroundWindow() { return GetActiveWindow(); }

short GetKeyState(int vk)
{
    UiLock lock;
    if (vk < 0 || vk > 255)
        return 0;
    return inputState().keyDown[std::size_t(vk)] ? short(0x8000) : 0;
}

short GetAsyncKeyState(int vk) { return GetKeyState(vk); }

BOOL GetCursorPos(POINT* point)
{
    if (!point)
        return FALSE;
    UiLock lock;
    *point = inputState().cursor;
    return TRUE;
}

UINT GetDoubleClickTime() { return 500; }

}  // namespace qm::ui
