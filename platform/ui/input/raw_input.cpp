// Routing of raw input: the pointer goes to the capture window or the window
// under it (with WM_SETCURSOR first), keys to the focus window. One event is
// routed at a time, and only once the messages of the previous one were
// retrieved, so that key state and message order agree.
#include <cstdlib>

#include "platform/ui/core/clock.h"
#include "platform/ui/core/window_system.h"
#include "platform/ui/input/input.h"
#include "platform/ui/input/input_state.h"
#include "platform/ui/message/message.h"
#include "platform/ui/message/pump_internal.h"
#include "platform/ui/message/queue.h"
#include "platform/ui/window/window.h"
#include "platform/ui/window/window_internal.h"

namespace qm::ui::detail {
namespace {

// Messages produced by routing that are still in the posted queue.
bool inputMessagesPending()
{
    auto& q = messageQueue();
    std::lock_guard lock(q.mutex());
    for (const MSG& m : q.posted())
        if ((m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) ||
            (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST))
            return true;
    return false;
}

void postInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg{hwnd, message, wParam, lParam, now(), inputState().cursor};
    messageQueue().post(msg);
}

WPARAM mouseFlags(const RawInput& in)
{
    const InputState& st = inputState();
    WPARAM flags = 0;
    if (st.keyDown[VK_LBUTTON])
        flags |= MK_LBUTTON;
    if (st.keyDown[VK_RBUTTON])
        flags |= MK_RBUTTON;
    const bool shift = in.explicitModifiers ? in.shift : st.keyDown[VK_SHIFT];
    const bool control = in.explicitModifiers ? in.control : st.keyDown[VK_CONTROL];
    if (shift)
        flags |= MK_SHIFT;
    if (control)
        flags |= MK_CONTROL;
    return flags;
}

UINT buttonMessage(const RawInput& in, bool doubleClick)
{
    const bool right = in.button == 1;
    if (in.kind == RawInput::Kind::ButtonUp)
        return right ? WM_RBUTTONUP : WM_LBUTTONUP;
    if (doubleClick)
        return right ? WM_RBUTTONDBLCLK : WM_LBUTTONDBLCLK;
    return right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
}

bool isDoubleClick(Window* target, const RawInput& in)
{
    InputState& st = inputState();
    const DWORD at = now();
    bool dbl = false;
    if (in.click == RawInput::Click::Double)
        dbl = true;
    else if (in.click == RawInput::Click::Normal)
        dbl = (target->cls->style & CS_DBLCLKS) && !st.lastWasDouble && st.lastDownWindow == target->handle &&
              st.lastDownButton == in.button && at - st.lastDownTime <= GetDoubleClickTime() &&
              std::abs(in.screen.x - st.lastDownPoint.x) <= 2 && std::abs(in.screen.y - st.lastDownPoint.y) <= 2;
    dbl = dbl && (target->cls->style & CS_DBLCLKS);
    st.lastDownWindow = target->handle;
    st.lastDownButton = in.button;
    st.lastDownTime = at;
    st.lastDownPoint = in.screen;
    st.lastWasDouble = dbl;
    return dbl;
}

void routeMouse(const RawInput& in)
{
    InputState& st = inputState();
    st.cursor = in.screen;
    if (in.kind == RawInput::Kind::ButtonDown)
        st.keyDown[in.button == 1 ? VK_RBUTTON : VK_LBUTTON] = true;
    else if (in.kind == RawInput::Kind::ButtonUp)
        st.keyDown[in.button == 1 ? VK_RBUTTON : VK_LBUTTON] = false;

    const HWND capture = state().capture;
    Window* target = capture ? windowFromHandle(capture) : windowAtPoint(in.screen);
    if (!target)
        return;
    const HWND hwnd = target->handle;
    Window* root = rootOf(target);
    if (!capture && (root->style & WS_DISABLED)) {
        // A window disabled by a modal loop ignores the pointer.
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
        return;
    }
    if (in.kind == RawInput::Kind::ButtonDown && state().active != root->handle) {
        raiseTopLevel(root);
        activateWindow(root, WA_CLICKACTIVE);
        if (!windowFromHandle(hwnd))
            return;
    }
    UINT message = WM_MOUSEMOVE;
    if (in.kind == RawInput::Kind::ButtonDown || in.kind == RawInput::Kind::ButtonUp)
        message = buttonMessage(in, in.kind == RawInput::Kind::ButtonDown && isDoubleClick(target, in));
    if (!capture) {
        const LRESULT hit = SendMessage(hwnd, WM_NCHITTEST, 0, MAKELPARAM(in.screen.x, in.screen.y));
        SendMessage(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(int(hit), int(message)));
        if (!windowFromHandle(hwnd))
            return;
    }
    if (in.kind == RawInput::Kind::Wheel) {
        const HWND focus = state().focus ? state().focus : hwnd;
        postInput(focus, WM_MOUSEWHEEL, MAKEWPARAM(int(mouseFlags(in)), in.wheelDelta),
                  MAKELPARAM(in.screen.x, in.screen.y));
        return;
    }
    POINT client = in.screen;
    ScreenToClient(hwnd, &client);
    postInput(hwnd, message, mouseFlags(in), MAKELPARAM(client.x, client.y));
}

void routeKey(const RawInput& in)
{
    InputState& st = inputState();
    const UINT vk = in.vk & 0xFF;
    const bool down = in.kind == RawInput::Kind::KeyDown;
    const bool wasDown = st.keyDown[vk];
    st.keyDown[vk] = down;
    HWND target = state().focus ? state().focus : state().active;
    if (!windowFromHandle(target))
        return;
    const bool alt = st.keyDown[VK_MENU] || (vk == VK_MENU && !down);
    UINT message = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
    LPARAM lParam = 1;
    if (alt)
        lParam |= LPARAM(1) << 29;
    if (wasDown)
        lParam |= LPARAM(1) << 30;
    if (!down)
        lParam |= LPARAM(1) << 31;
    postInput(target, message, WPARAM(vk), lParam);
}

}  // namespace

void routeRawInputLocked()
{
    // Events that produce no message (input to a disabled window) must not
    // hold up the ones behind them.
    while (!inputMessagesPending()) {
        RawInput in;
        {
            auto& q = messageQueue();
            std::lock_guard lock(q.mutex());
            if (q.input().empty())
                return;
            in = q.input().front();
            q.input().pop_front();
        }
        if (in.kind == RawInput::Kind::KeyDown || in.kind == RawInput::Kind::KeyUp)
            routeKey(in);
        else
            routeMouse(in);
    }
}

}  // namespace qm::ui::detail
