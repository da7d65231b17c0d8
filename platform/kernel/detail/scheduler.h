// The kernel stand-in's core, shared by its own source files only: one lock
// for every dispatcher object, timer, queue and thread count (as the
// dispatcher database lock of the original), the clock, and blocking.
#pragma once

#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>
#include <thread>

#include "platform/kernel/irql.h"
#include "platform/kernel/sim_clock.h"

namespace qm::kernel::detail {

using Lock = std::unique_lock<std::mutex>;

inline constexpr LONGLONG kNoDeadline = -1;
inline constexpr LONGLONG kTicksPerMillisecond = 10000;

std::mutex& kernelLock();

struct ThreadState {
    sim::ThreadRole role = sim::ThreadRole::Other;
    bool simulated = false;  // counts when the system settles
    KIRQL irql = PASSIVE_LEVEL;
};
ThreadState& currentThread();

// Timers and time-outs fire in the normal phase of a manual step, USB frames
// in the frame phase after them.
enum class WakePhase { Normal, Frame };

struct DISPATCHER_WAIT;

// One blocked thread. Lives on the blocking thread's stack.
struct Waiter {
    std::condition_variable cv;
    LONGLONG deadline = kNoDeadline;
    WakePhase phase = WakePhase::Normal;
    bool simulated = false;
    bool woken = false;
    bool timedOut = false;
    // Set for KeWaitFor*Object(s): the objects and the outcome.
    void* const* objects = nullptr;
    ULONG objectCount = 0;
    bool waitAll = false;
    LONG satisfiedIndex = -1;
    const void* thread = nullptr;  // identity for mutex ownership
};

LONGLONG interruptTimeLocked();
// Blocks until another thread wakes `waiter` or its deadline passes.
void block(Lock& lock, Waiter& waiter);
// Wakes a blocked waiter (under the lock); it counts as running at once.
void wake(Waiter& waiter);
std::list<Waiter*>& waiters();

// Queued work that a simulated thread will pick up (under the lock).
void addPendingWork(int delta);

// Starts a simulated thread (under the lock). It counts as running from
// this moment, so the system cannot look settled before it has started.
// `body` runs without the lock; the thread leaves the count when it ends.
std::thread startSimulatedThread(sim::ThreadRole role, KIRQL irql, std::function<void()> body);

}  // namespace qm::kernel::detail
