// Retrieval, waiting, translation and dispatch of messages.
#include <algorithm>
#include <cctype>
#include <optional>

#include "platform/system/trace.h"
#include "platform/ui/backend/backend.h"
#include "platform/ui/core/clock.h"
#include "platform/ui/core/window_system.h"
#include "platform/ui/dialogs/dialog.h"
#include "platform/ui/input/input.h"
#include "platform/ui/message/message.h"
#include "platform/ui/message/pump_internal.h"
#include "platform/ui/message/queue.h"
#include "platform/ui/window/window.h"

namespace qm::ui {
namespace detail {
namespace {

thread_local DWORD lastMessageTime = 0;
thread_local POINT lastMessagePos;
PreTranslateHook preTranslateHook = nullptr;

bool matchesFilter(const MSG& msg, HWND filter, UINT first, UINT last)
{
    if (filter) {
        Window* target = windowFromHandle(msg.hwnd);
        Window* f = windowFromHandle(filter);
        if (!target || !f || !isDescendant(target, f))
            return false;
    }
    if (first == 0 && last == 0)
        return true;
    return msg.message >= first && msg.message <= last;
}

void runTasks()
{
    auto& q = messageQueue();
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(q.mutex());
            if (q.tasks().empty())
                return;
            task = std::move(q.tasks().front());
            q.tasks().pop_front();
        }
        task();
    }
}

}  // namespace

LRESULT callProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (proc == nullptr)
        return 0;
    try {
        return proc(hwnd, message, wParam, lParam);
    } catch (...) {
        // A window procedure must not let an exception unwind through the
        // message loop of another module.
        qm::sys::trace("qm::ui: exception escaped a window procedure\n");
        return 0;
    }
}

bool peekMessageLocked(MSG* msg, HWND filter, UINT first, UINT last, UINT flags)
{
    const bool remove = (flags & PM_REMOVE) != 0;
    runTasks();
    routeRawInputLocked();
    auto& q = messageQueue();
    {
        std::lock_guard lock(q.mutex());
        auto& posted = q.posted();
        for (auto it = posted.begin(); it != posted.end(); ++it) {
            if (!matchesFilter(*it, filter, first, last))
                continue;
            *msg = *it;
            if (remove)
                posted.erase(it);
            return true;
        }
        if (q.quitRequested() && filter == nullptr && (first == 0 || first <= WM_QUIT)) {
            *msg = MSG{nullptr, WM_QUIT, WPARAM(q.quitCode()), 0, now(), {}};
            if (remove)
                q.quitRequested() = false;
            return true;
        }
    }
    if (first == 0 || (first <= WM_PAINT && last >= WM_PAINT)) {
        if (HWND hwnd = findWindowNeedingPaint(filter)) {
            *msg = MSG{hwnd, WM_PAINT, 0, 0, now(), {}};
            return true;
        }
    }
    if (first == 0 || (first <= WM_TIMER && last >= WM_TIMER))
        if (takeDueTimerLocked(msg, filter, remove))
            return true;
    return false;
}

bool anythingPendingLocked()
{
    auto& q = messageQueue();
    {
        std::lock_guard lock(q.mutex());
        if (!q.posted().empty() || !q.input().empty() || !q.tasks().empty() || q.quitRequested())
            return true;
    }
    if (findWindowNeedingPaint(nullptr))
        return true;
    return msUntilNextTimerLocked() == 0;
}

}  // namespace detail

using namespace detail;

BOOL PeekMessage(MSG* msg, HWND filter, UINT first, UINT last, UINT flags)
{
    noteHostCall();
    UiLock lock;
    if (msg == nullptr)
        return FALSE;
    if (peekMessageLocked(msg, filter, first, last, flags)) {
        if (flags & PM_REMOVE) {
            lastMessageTime = msg->time;
            lastMessagePos = msg->pt;
        }
        return TRUE;
    }
    flushPresentation();
    return FALSE;
}

namespace detail {
namespace {

int getMessageImpl(MSG* msg, HWND filter, UINT first, UINT last, bool (*stop)(void*), void* context)
{
    for (;;) {
        // Read before looking: a message posted from another thread while
        // this one looks then ends the wait below at once.
        const std::uint64_t seen = messageQueue().generation();
        std::int64_t timeout = -1;
        {
            UiLock lock;
            if (filter && !IsWindow(filter))
                return -1;
            if (stop && stop(context))
                return -1;
            if (peekMessageLocked(msg, filter, first, last, PM_REMOVE)) {
                lastMessageTime = msg->time;
                lastMessagePos = msg->pt;
                return msg->message == WM_QUIT ? 0 : 1;
            }
            flushPresentation();
            if (runIdleAction())
                continue;
            if (!clockIsVirtual())
                timeout = msUntilNextTimerLocked();
            // The lock is released here unless an outer frame of this thread
            // holds it (a modal loop inside module code): then the module
            // stays single-threaded while this loop waits.
        }
        messageQueue().waitForChange(seen, timeout);
    }
}

}  // namespace

int getMessageUntil(MSG* msg, bool (*stop)(void*), void* context)
{
    return getMessageImpl(msg, nullptr, 0, 0, stop, context);
}

}  // namespace detail

BOOL GetMessage(MSG* msg, HWND filter, UINT first, UINT last)
{
    noteHostCall();
    if (msg == nullptr)
        return -1;
    return getMessageImpl(msg, filter, first, last, nullptr, nullptr);
}

BOOL WaitMessage()
{
    noteHostCall();
    const std::uint64_t seen = messageQueue().generation();  // before looking, as in getMessageImpl
    std::int64_t timeout = -1;
    {
        UiLock lock;
        if (anythingPendingLocked())
            return TRUE;
        flushPresentation();
        if (runIdleAction() || clockIsVirtual())
            return TRUE;
        timeout = msUntilNextTimerLocked();
    }
    messageQueue().waitForChange(seen, timeout);
    return TRUE;
}

DWORD GetMessageTime() { return lastMessageTime; }
POINT getMessagePos() { return lastMessagePos; }

BOOL TranslateMessage(const MSG* msg)
{
    if (msg == nullptr || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN))
        return FALSE;
    const UINT vk = UINT(msg->wParam);
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    int ch = 0;
    if (vk >= 'A' && vk <= 'Z')
        ch = control ? int(vk - 'A' + 1) : (shift ? int(vk) : std::tolower(int(vk)));
    else if (vk >= '0' && vk <= '9')
        ch = shift ? ")!@#$%^&*("[vk - '0'] : int(vk);
    else if (vk == VK_SPACE)
        ch = ' ';
    else if (vk == VK_RETURN)
        ch = '\r';
    else if (vk == VK_BACK)
        ch = 8;
    else if (vk == VK_TAB)
        ch = '\t';
    else if (vk == VK_ESCAPE)
        ch = 27;
    else if (vk == VK_OEM_PERIOD)
        ch = shift ? '>' : '.';
    else if (vk == VK_OEM_MINUS)
        ch = shift ? '_' : '-';
    if (ch == 0)
        return FALSE;
    MSG out = *msg;
    out.message = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    out.wParam = WPARAM(ch);
    auto& q = messageQueue();
    std::lock_guard lock(q.mutex());
    // The character is the next message the loop sees.
    q.posted().push_front(out);
    q.bumpLocked();
    return TRUE;
}

LRESULT DispatchMessage(const MSG* msg)
{
    if (msg == nullptr)
        return 0;
    UiLock lock;
    if (msg->message == WM_TIMER && msg->lParam != 0) {
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        try {
            proc(msg->hwnd, WM_TIMER, UINT_PTR(msg->wParam), msg->time);
        } catch (...) {
            qm::sys::trace("qm::ui: exception escaped a timer procedure\n");
        }
        return 0;
    }
    Window* w = windowFromHandle(msg->hwnd);
    if (w == nullptr)
        return 0;
    return callProc(w->proc, msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (w == nullptr)
        return 0;
    return callProc(w->proc, hwnd, message, wParam, lParam);
}

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Validation would need the module lock; a message for a window that is
    // gone by the time it is retrieved is simply dropped by DispatchMessage.
    MSG msg{hwnd, message, wParam, lParam, now(), {}};
    GetCursorPos(&msg.pt);
    messageQueue().post(msg);
    return TRUE;
}

void PostQuitMessage(int exitCode) { messageQueue().postQuit(exitCode); }

void setPreTranslateHook(PreTranslateHook hook)
{
    UiLock lock;
    preTranslateHook = hook;
}

bool callPreTranslateHook(MSG* msg)
{
    UiLock lock;
    return preTranslateHook && msg && preTranslateHook(msg);
}

namespace detail {

// What a host's loop does with one message, dialogs included.
void dispatchAsHost(MSG* msg)
{
    Window* w = windowFromHandle(msg->hwnd);
    Window* root = w ? rootOf(w) : nullptr;
    if (root && isDialogWindow(root->handle)) {
        if (IsDialogMessage(root->handle, msg))
            return;
    } else if (callPreTranslateHook(msg)) {
        return;
    }
    TranslateMessage(msg);
    DispatchMessage(msg);
}

}  // namespace detail

bool processPendingMessages(HWND filter)
{
    MSG msg;
    while (PeekMessage(&msg, filter, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(int(msg.wParam));
            return false;
        }
        dispatchAsHost(&msg);
    }
    return true;
}

}  // namespace qm::ui
