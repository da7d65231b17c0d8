#include "apps/acquire/message_loop.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/ui/message/message.h"
#include "platform/ui/thread/ui_thread.h"

namespace qm::acquire {
namespace {

using Clock = std::chrono::steady_clock;

// Without a callback the loop asks the source this often.
constexpr std::chrono::milliseconds kPollInterval{100};
// The loop looks at its idle limit at least this often.
constexpr std::chrono::milliseconds kLimitCheckInterval{250};

std::atomic<ui::UINT> wakeMessage{0};  // registered by attach()

TW_UINT16 onSourceNotification(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16, TW_MEMREF)
{
    ui::PostMessage(nullptr, wakeMessage.load(), 0, 0);
    return TWRC_SUCCESS;
}

// Posts the wake-up message at a steady real-time pace while the loop runs,
// so the idle limit (and, without a callback, the source's held messages) are
// looked at whatever clock the window system's timers follow.
class Ticker {
public:
    explicit Ticker(std::chrono::milliseconds interval)
        : thread_([this, interval] {
              std::unique_lock lock(mutex_);
              while (!stopped_.wait_for(lock, interval, [this] { return stop_; }))
                  ui::PostMessage(nullptr, wakeMessage.load(), 0, 0);
          })
    {
    }
    ~Ticker()
    {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        stopped_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable stopped_;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace

bool MessageLoop::attach()
{
    // This application pumps its own messages: the source's panel lives on
    // this thread, no UI thread is needed beside it.
    ui::hostPumpsMessages();
    wakeMessage = ui::RegisterWindowMessage("QM4200 acquire: source notification");
    callbackRegistered_ = client_.registerCallback(&onSourceNotification);
    return callbackRegistered_;
}

LoopEnd MessageLoop::run(const std::function<void()>& onTransferReady, std::chrono::milliseconds idleLimit)
{
    const bool limited = idleLimit.count() > 0;
    auto deadline = limited ? Clock::now() + idleLimit : Clock::time_point::max();
    Ticker ticker(callbackRegistered_ ? kLimitCheckInterval : kPollInterval);

    LoopEnd end = LoopEnd::Quit;
    ui::MSG message{};
    for (;;) {
        if (ui::GetMessage(&message, nullptr, 0, 0) <= 0)
            break;
        TW_EVENT event{&message, MSG_NULL};
        if (client_.toSource(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event) == TWRC_DSEVENT) {
            // Only the source's notifications count as word from it: a panel
            // consumes its own timer and input messages all the time.
            if (limited && event.TWMessage != MSG_NULL)
                deadline = Clock::now() + idleLimit;
            if (event.TWMessage == MSG_XFERREADY)
                onTransferReady();
            else if (event.TWMessage == MSG_CLOSEDSREQ) {
                end = LoopEnd::CloseRequested;
                break;
            }
            continue;
        }
        if (message.message != wakeMessage.load()) {
            ui::TranslateMessage(&message);
            ui::DispatchMessage(&message);
        }
        if (Clock::now() >= deadline) {
            end = LoopEnd::TimedOut;
            break;
        }
    }
    return end;
}

}  // namespace qm::acquire
