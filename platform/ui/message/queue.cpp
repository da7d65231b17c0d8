#include "platform/ui/message/queue.h"

#include <chrono>

#include "platform/ui/message/messages.h"

namespace qm::ui::detail {

MessageQueue& messageQueue()
{
    static MessageQueue* queue = new MessageQueue;  // lives until exit; threads may still post
    return *queue;
}

void MessageQueue::bumpLocked()
{
    ++generation_;
    changed_.notify_all();
}

void MessageQueue::post(const MSG& msg)
{
    std::lock_guard lock(mutex_);
    posted_.push_back(msg);
    bumpLocked();
}

void MessageQueue::pushInput(const RawInput& input)
{
    std::lock_guard lock(mutex_);
    // Consecutive pointer movements collapse into the latest one.
    if (input.kind == RawInput::Kind::MouseMove && !input_.empty() &&
        input_.back().kind == RawInput::Kind::MouseMove && !input.explicitModifiers &&
        !input_.back().explicitModifiers)
        input_.back() = input;
    else
        input_.push_back(input);
    bumpLocked();
}

void MessageQueue::pushTask(std::function<void()> task)
{
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    bumpLocked();
}

void MessageQueue::postQuit(int code)
{
    std::lock_guard lock(mutex_);
    quit_ = true;
    quitCode_ = code;
    bumpLocked();
}

void MessageQueue::wake()
{
    std::lock_guard lock(mutex_);
    bumpLocked();
}

std::uint64_t MessageQueue::generation()
{
    std::lock_guard lock(mutex_);
    return generation_;
}

void MessageQueue::waitForChange(std::uint64_t seen, std::int64_t timeoutMs)
{
    std::unique_lock lock(mutex_);
    auto changed = [&] { return generation_ != seen; };
    if (timeoutMs < 0)
        changed_.wait(lock, changed);
    else
        changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), changed);
}

}  // namespace qm::ui::detail
