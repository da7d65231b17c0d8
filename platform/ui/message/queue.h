// The message queue: posted messages, raw input waiting to be routed, work
// handed in by other threads (automation), and the quit request. Guarded by
// its own mutex so any thread may post without the module lock.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/ui/types.h"

namespace qm::ui::detail {

struct RawInput {
    enum class Kind { MouseMove, ButtonDown, ButtonUp, Wheel, KeyDown, KeyUp };
    Kind kind = Kind::MouseMove;
    POINT screen;            // mouse events
    int button = 0;          // 0 left, 1 right
    int wheelDelta = 0;
    UINT vk = 0;             // key events
    // Modifier state for the event; when explicit, it overrides the tracked
    // key state for this one event (automation clicks with Shift or Ctrl).
    bool explicitModifiers = false;
    bool shift = false;
    bool control = false;
    bool alt = false;
    // Real input forms double clicks by time and distance; automation says
    // which press it means.
    enum class Click { Normal, Single, Double };
    Click click = Click::Normal;
};

class MessageQueue {
public:
    void post(const MSG& msg);
    void pushInput(const RawInput& input);
    void pushTask(std::function<void()> task);
    void postQuit(int code);
    // Wakes waiting pumps, e.g. after the virtual clock moved.
    void wake();

    std::uint64_t generation();
    // Waits until the generation differs from `seen` or the time passes.
    void waitForChange(std::uint64_t seen, std::int64_t timeoutMs);

    std::mutex& mutex() { return mutex_; }
    // The following are used with mutex() held.
    std::deque<MSG>& posted() { return posted_; }
    std::deque<RawInput>& input() { return input_; }
    std::deque<std::function<void()>>& tasks() { return tasks_; }
    bool& quitRequested() { return quit_; }
    int& quitCode() { return quitCode_; }
    void bumpLocked();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<MSG> posted_;
    std::deque<RawInput> input_;
    std::deque<std::function<void()>> tasks_;
    bool quit_ = false;
    int quitCode_ = 0;
    std::uint64_t generation_ = 0;
};

MessageQueue& messageQueue();

}  // namespace qm::ui::detail
