// Window and thread timers. A timer posts nothing: when it is due, retrieval
// makes one WM_TIMER for it, so a slow loop never sees a backlog.
#include <algorithm>
#include <vector>

#include "platform/ui/core/clock.h"
#include "platform/ui/core/window_system.h"
#include "platform/ui/message/message.h"
#include "platform/ui/message/pump_internal.h"
#include "platform/ui/message/queue.h"

namespace qm::ui {
namespace detail {
namespace {

struct Timer {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    UINT interval = 0;
    std::uint32_t due = 0;
    TIMERPROC proc = nullptr;
};

// The platform's shortest timer interval.
constexpr UINT kMinimumInterval = 10;

std::vector<Timer>& timers()
{
    static auto* list = new std::vector<Timer>;  // a UI thread may still use it at exit
    return *list;
}

UINT_PTR nextThreadTimerId = 0x7FFF0000;

std::int64_t remaining(const Timer& t, std::uint32_t at)
{
    return std::int64_t(std::int32_t(t.due - at));
}

}  // namespace

bool takeDueTimerLocked(MSG* msg, HWND filter, bool remove)
{
    const std::uint32_t at = now();
    Timer* best = nullptr;
    for (Timer& t : timers()) {
        if (remaining(t, at) > 0)
            continue;
        if (filter) {
            Window* w = windowFromHandle(t.hwnd);
            Window* f = windowFromHandle(filter);
            if (!w || !f || !isDescendant(w, f))
                continue;
        }
        if (!best || remaining(t, at) < remaining(*best, at))
            best = &t;
    }
    if (!best)
        return false;
    *msg = MSG{best->hwnd, WM_TIMER, WPARAM(best->id), reinterpret_cast<LPARAM>(best->proc), at, {}};
    if (remove)
        best->due = at + best->interval;
    return true;
}

std::int64_t msUntilNextTimerLocked()
{
    const std::uint32_t at = now();
    std::int64_t best = -1;
    for (const Timer& t : timers()) {
        std::int64_t r = std::max<std::int64_t>(0, remaining(t, at));
        if (best < 0 || r < best)
            best = r;
    }
    return best;
}

void killTimersOf(HWND hwnd)
{
    auto& list = timers();
    list.erase(std::remove_if(list.begin(), list.end(), [&](const Timer& t) { return t.hwnd == hwnd; }),
               list.end());
}

}  // namespace detail

using namespace detail;

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc)
{
    UiLock lock;
    if (hwnd && !windowFromHandle(hwnd))
        return 0;
    if (!hwnd)
        id = nextThreadTimerId++;
    const UINT interval = std::max(elapseMs, kMinimumInterval);
    auto& list = timers();
    auto it = std::find_if(list.begin(), list.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    Timer timer{hwnd, id, interval, now() + interval, proc};
    if (it != list.end())
        *it = timer;
    else
        list.push_back(timer);
    messageQueue().wake();  // a waiting loop recomputes its time-out
    return id != 0 ? id : 1;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
    UiLock lock;
    auto& list = timers();
    auto it = std::find_if(list.begin(), list.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == list.end())
        return FALSE;
    list.erase(it);
    return TRUE;
}

}  // namespace qm::ui
