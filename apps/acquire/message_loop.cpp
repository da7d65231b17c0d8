#include "apps/acquire/message_loop.h"

#include <condition_variable>
#include <mutex>

namespace qm::acquire {
namespace {

// Rung by the source manager's callback, which may come from whatever
// thread the source's panel runs on.
struct Doorbell {
    std::mutex mutex;
    std::condition_variable rung;
    unsigned pending = 0;
};

Doorbell& doorbell()
{
    static Doorbell bell;
    return bell;
}

TW_UINT16 onSourceNotification(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16, TW_MEMREF)
{
    Doorbell& bell = doorbell();
    {
        std::lock_guard lock(bell.mutex);
        ++bell.pending;
    }
    bell.rung.notify_all();
    return TWRC_SUCCESS;
}

// Without a callback the loop looks for notifications this often.
constexpr std::chrono::milliseconds kPollInterval{100};

}  // namespace

bool MessageLoop::attach()
{
    {
        std::lock_guard lock(doorbell().mutex);
        doorbell().pending = 0;
    }
    callbackRegistered_ = client_.registerCallback(&onSourceNotification);
    return callbackRegistered_;
}

bool MessageLoop::getMessage(WindowMessage& message, std::chrono::steady_clock::time_point deadline)
{
    message = WindowMessage{};
    Doorbell& bell = doorbell();
    std::unique_lock lock(bell.mutex);
    if (callbackRegistered_ && deadline == std::chrono::steady_clock::time_point::max()) {
        bell.rung.wait(lock, [&] { return bell.pending > 0; });
        --bell.pending;
        return true;
    }
    auto until = deadline;
    if (!callbackRegistered_)
        until = std::min(deadline, std::chrono::steady_clock::now() + kPollInterval);
    const bool rung = bell.rung.wait_until(lock, until, [&] { return bell.pending > 0; });
    if (rung) {
        --bell.pending;
        return true;
    }
    // Polling: every interval is a message of its own until the deadline.
    return !callbackRegistered_ && std::chrono::steady_clock::now() < deadline;
}

void MessageLoop::dispatchMessage(const WindowMessage& /*message*/)
{
    // No windows of the application's own yet.
}

LoopEnd MessageLoop::run(const std::function<void()>& onTransferReady, std::chrono::milliseconds idleLimit)
{
    using Clock = std::chrono::steady_clock;
    const auto never = Clock::time_point::max();
    auto deadline = idleLimit.count() > 0 ? Clock::now() + idleLimit : never;
    WindowMessage message;
    while (getMessage(message, deadline)) {
        TW_EVENT event{&message, MSG_NULL};
        if (client_.toSource(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event) != TWRC_DSEVENT) {
            dispatchMessage(message);
            continue;
        }
        if (idleLimit.count() > 0)
            deadline = Clock::now() + idleLimit;
        if (event.TWMessage == MSG_XFERREADY)
            onTransferReady();
        else if (event.TWMessage == MSG_CLOSEDSREQ)
            return LoopEnd::CloseRequested;
    }
    return LoopEnd::TimedOut;
}

}  // namespace qm::acquire
