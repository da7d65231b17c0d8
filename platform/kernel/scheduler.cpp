#include "platform/kernel/detail/scheduler.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <thread>
#include <vector>

namespace qm::kernel::detail {

namespace {

using SteadyClock = std::chrono::steady_clock;
using Ticks = std::chrono::duration<LONGLONG, std::ratio<1, 10000000>>;

struct Kernel {
    std::mutex lock;
    std::condition_variable activity;
    std::uint64_t generation = 0;
    std::list<Waiter*> waiters;
    int running = 0;      // simulated threads neither idle nor blocked
    int pendingWork = 0;  // queued DPCs, work items and jobs
    sim::ClockMode mode = sim::ClockMode::RealTime;
    LONGLONG manualTime = 0;
    LONGLONG frameTime = 0;  // manual mode: frame waiters are released up to here
    SteadyClock::time_point origin = SteadyClock::now();
    LONGLONG offset = 0;
};

// Never destroyed: simulated threads may still touch it while the process exits.
Kernel& kernel()
{
    static Kernel* instance = new Kernel;
    return *instance;
}

void activityChanged(Kernel& k)
{
    ++k.generation;
    k.activity.notify_all();
}

bool settled(const Kernel& k) { return k.running == 0 && k.pendingWork == 0; }

LONGLONG effectiveTime(const Kernel& k, const Waiter& waiter)
{
    if (k.mode == sim::ClockMode::Manual)
        return waiter.phase == WakePhase::Frame ? k.frameTime : k.manualTime;
    return interruptTimeLocked();
}

bool expired(const Kernel& k, const Waiter& waiter)
{
    return waiter.deadline != kNoDeadline && effectiveTime(k, waiter) >= waiter.deadline;
}

void timeOut(Waiter& waiter)
{
    waiter.timedOut = true;
    wake(waiter);
}

void releaseExpired(Kernel& k, WakePhase phase)
{
    for (Waiter* waiter : k.waiters)
        if (!waiter->woken && waiter->phase == phase && expired(k, *waiter))
            timeOut(*waiter);
}

void settle(Kernel& k, Lock& lock)
{
    k.activity.wait(lock, [&] { return settled(k); });
}

}  // namespace

std::mutex& kernelLock() { return kernel().lock; }

ThreadState& currentThread()
{
    thread_local ThreadState state;
    return state;
}

LONGLONG interruptTimeLocked()
{
    Kernel& k = kernel();
    if (k.mode == sim::ClockMode::Manual)
        return k.manualTime;
    return k.offset + std::chrono::duration_cast<Ticks>(SteadyClock::now() - k.origin).count();
}

std::list<Waiter*>& waiters() { return kernel().waiters; }

void wake(Waiter& waiter)
{
    if (waiter.woken)
        return;
    waiter.woken = true;
    Kernel& k = kernel();
    if (waiter.simulated) {
        ++k.running;
        activityChanged(k);
    }
    waiter.cv.notify_one();
}

void block(Lock& lock, Waiter& waiter)
{
    Kernel& k = kernel();
    waiter.woken = false;
    waiter.timedOut = false;
    if (expired(k, waiter)) {
        waiter.woken = waiter.timedOut = true;
        return;
    }
    waiter.simulated = currentThread().simulated;
    auto position = k.waiters.insert(k.waiters.end(), &waiter);
    if (waiter.simulated) {
        --k.running;
        activityChanged(k);
    }
    while (!waiter.woken) {
        if (k.mode == sim::ClockMode::RealTime && waiter.deadline != kNoDeadline) {
            const auto due = k.origin + std::chrono::duration_cast<SteadyClock::duration>(
                                            Ticks(waiter.deadline - k.offset));
            waiter.cv.wait_until(lock, due);
            if (!waiter.woken && expired(k, waiter))
                timeOut(waiter);
        } else {
            waiter.cv.wait(lock);
        }
    }
    k.waiters.erase(position);
}

void addPendingWork(int delta)
{
    Kernel& k = kernel();
    k.pendingWork += delta;
    activityChanged(k);
}

std::thread startSimulatedThread(sim::ThreadRole role, KIRQL irql, std::function<void()> body)
{
    Kernel& k = kernel();
    ++k.running;
    activityChanged(k);
    return std::thread([role, irql, body = std::move(body)] {
        ThreadState& state = currentThread();
        state.role = role;
        state.simulated = true;
        state.irql = irql;
        body();
        Lock lock(kernelLock());
        state.simulated = false;
        Kernel& k = kernel();
        --k.running;
        activityChanged(k);
    });
}

}  // namespace qm::kernel::detail

namespace qm::kernel::sim {

using namespace detail;

void setClockMode(ClockMode mode)
{
    Kernel& k = kernel();
    Lock lock(k.lock);
    if (k.mode == mode)
        return;
    const LONGLONG now = interruptTimeLocked();
    k.mode = mode;
    if (mode == ClockMode::Manual) {
        k.manualTime = k.frameTime = now;
    } else {
        k.offset = now;
        k.origin = SteadyClock::now();
    }
    // Blocked threads re-evaluate their deadlines against the new clock.
    for (Waiter* waiter : k.waiters)
        waiter->cv.notify_one();
    activityChanged(k);
}

ClockMode clockMode()
{
    Lock lock(kernelLock());
    return kernel().mode;
}

LONGLONG interruptTime()
{
    Lock lock(kernelLock());
    return interruptTimeLocked();
}

bool advanceClock(ULONG milliseconds)
{
    Kernel& k = kernel();
    if (currentThread().simulated)
        return false;
    Lock lock(k.lock);
    if (k.mode != ClockMode::Manual)
        return false;
    for (ULONG i = 0; i < milliseconds; ++i) {
        settle(k, lock);
        k.manualTime += kTicksPerMillisecond;
        releaseExpired(k, WakePhase::Normal);
        settle(k, lock);
        k.frameTime = k.manualTime;
        releaseExpired(k, WakePhase::Frame);
        settle(k, lock);
    }
    return true;
}

bool waitUntilSettled(const std::function<bool()>& done)
{
    Kernel& k = kernel();
    for (;;) {
        std::uint64_t generation;
        bool quiet;
        {
            Lock lock(k.lock);
            generation = k.generation;
            quiet = k.mode == ClockMode::Manual && settled(k);
        }
        // `done` may take other locks: never call it under the kernel lock.
        if (done && done())
            return false;
        Lock lock(k.lock);
        if (!done && k.mode != ClockMode::Manual)
            return false;  // nothing to wait for in real time
        if (quiet && k.generation == generation)
            return true;
        k.activity.wait(lock, [&] { return k.generation != generation; });
    }
}

bool waitUntilQuiet(ULONG limitMs)
{
    Kernel& k = kernel();
    if (currentThread().simulated)
        return false;  // it would wait for itself
    Lock lock(k.lock);
    return k.activity.wait_for(lock, std::chrono::milliseconds(limitMs), [&] { return settled(k); });
}

void notifyActivity()
{
    Lock lock(kernelLock());
    activityChanged(kernel());
}

ThreadRole currentThreadRole() { return currentThread().role; }

// ---------------------------------------------------------------------------

struct ServiceQueue::State {
    ThreadRole role;
    unsigned maxThreads;
    std::optional<Clocked> clocked;
    std::deque<std::function<void()>> jobs;
    std::vector<std::thread> threads;
    std::vector<std::thread::id> threadIds;
    std::vector<Waiter*> idle;
    bool stopping = false;
};

void ServiceQueue::serve(const std::shared_ptr<State>& state)
{
    Lock lock(kernelLock());
    while (!state->stopping) {
        if (!state->jobs.empty()) {
            std::function<void()> job = std::move(state->jobs.front());
            state->jobs.pop_front();
            addPendingWork(-1);
            lock.unlock();
            job();
            // Whatever the job held goes now, without the lock: its last
            // owner's destructor may need the lock itself.
            job = nullptr;
            if (currentThread().irql != PASSIVE_LEVEL)
                KeBugCheckEx(WORKER_THREAD_RETURNED_AT_BAD_IRQL, currentThread().irql, 0, 0, 0);
            currentThread().irql = PASSIVE_LEVEL;
            lock.lock();
            continue;
        }
        Waiter waiter;
        waiter.phase = WakePhase::Frame;
        if (state->clocked) {
            waiter.deadline = state->clocked->nextTime().value_or(kNoDeadline);
            if (expired(kernel(), waiter)) {
                lock.unlock();
                state->clocked->onTime();
                lock.lock();
                continue;
            }
        }
        state->idle.push_back(&waiter);
        block(lock, waiter);
        state->idle.erase(std::find(state->idle.begin(), state->idle.end(), &waiter));
    }
}

ServiceQueue::ServiceQueue(ThreadRole role, unsigned maxThreads, std::optional<Clocked> clocked)
    : state_(std::make_shared<State>())
{
    state_->role = role;
    state_->maxThreads = clocked ? 1 : std::max(1u, maxThreads);
    state_->clocked = std::move(clocked);
    if (state_->clocked) {
        Lock lock(kernelLock());
        state_->threads.push_back(
            startSimulatedThread(state_->role, PASSIVE_LEVEL, [state = state_] { serve(state); }));
        state_->threadIds.push_back(state_->threads.back().get_id());
    }
}

ServiceQueue::~ServiceQueue()
{
    std::vector<std::thread> threads;
    {
        Lock lock(kernelLock());
        state_->stopping = true;
        addPendingWork(-int(state_->jobs.size()));
        state_->jobs.clear();
        for (Waiter* waiter : state_->idle)
            wake(*waiter);
        threads.swap(state_->threads);
    }
    for (std::thread& thread : threads) {
        if (thread.get_id() == std::this_thread::get_id())
            thread.detach();
        else
            thread.join();
    }
}

void ServiceQueue::post(std::function<void()> job)
{
    Lock lock(kernelLock());
    if (state_->stopping)
        return;
    state_->jobs.push_back(std::move(job));
    addPendingWork(1);
    for (Waiter* waiter : state_->idle) {
        if (!waiter->woken) {
            wake(*waiter);
            return;
        }
    }
    if (state_->threads.size() < state_->maxThreads) {
        state_->threads.push_back(
            startSimulatedThread(state_->role, PASSIVE_LEVEL, [state = state_] { serve(state); }));
        state_->threadIds.push_back(state_->threads.back().get_id());
    }
}

void ServiceQueue::reschedule()
{
    Lock lock(kernelLock());
    for (Waiter* waiter : state_->idle)
        wake(*waiter);
}

bool ServiceQueue::onServiceThread() const
{
    Lock lock(kernelLock());
    const auto self = std::this_thread::get_id();
    return std::find(state_->threadIds.begin(), state_->threadIds.end(), self) != state_->threadIds.end();
}

}  // namespace qm::kernel::sim
