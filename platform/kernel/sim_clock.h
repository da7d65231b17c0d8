// The simulated system's clock and its threads.
//
// The kernel clock (interrupt time, 100-ns units) drives timers, wait
// time-outs, delays and the USB frame clock. Applications run it in real time.
// Tests switch it to manual mode and advance it by hand: nothing that depends
// on time happens until they do, which makes runs repeatable.
//
// Settling. The stand-ins' own threads (timer, workers, bus, adapter host)
// are "simulated threads". In manual mode advanceClock() moves time one
// millisecond at a time and, before and after each step, waits until every
// simulated thread is idle or blocked in a kernel wait and no DPC, work item
// or posted job is queued: everything the previous step set off has run.
// Within one step, timers and time-outs fire first and settle, then the USB
// frame of that millisecond runs.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/kernel/nt_types.h"

namespace qm::kernel::sim {

enum class ClockMode { RealTime, Manual };

// Switching keeps the current time; threads blocked on time re-evaluate.
void setClockMode(ClockMode mode);
ClockMode clockMode();

// The kernel clock in 100-ns units since start-up.
LONGLONG interruptTime();

// Manual mode only (false otherwise, and from a simulated thread, where it
// would wait for itself).
bool advanceClock(ULONG milliseconds);
// Manual mode: waits until the system has settled (true) or `done` holds
// (false). `done` is re-checked whenever notifyActivity() is called or a
// simulated thread changes state. In real-time mode it only waits for `done`
// (and returns at once without one).
bool waitUntilSettled(const std::function<bool()>& done = {});
// Either mode: waits up to limitMs of real time for a moment when every
// simulated thread is idle or blocked and nothing is queued. A host waits for
// this before unmapping a driver whose work items or DPCs may still be
// returning through its code. False on time-out or from a simulated thread.
bool waitUntilQuiet(ULONG limitMs);
// Tells waitUntilSettled() that something `done` looks at has changed.
void notifyActivity();

enum class ThreadRole { Other, Timer, CriticalWorker, DelayedWorker, Bus, Host };
ThreadRole currentThreadRole();

// A queue of jobs served by simulated threads at passive level: the work
// queues, the bus and the adapter host are built on it. A clocked queue (one
// thread) also runs `onTime` whenever the clock reaches `nextTime()`; in
// manual mode that happens in the frame phase of a step.
class ServiceQueue {
public:
    struct Clocked {
        std::function<std::optional<LONGLONG>()> nextTime;  // called under the kernel lock: no locks inside
        std::function<void()> onTime;
    };

    ServiceQueue(ThreadRole role, unsigned maxThreads, std::optional<Clocked> clocked = std::nullopt);
    // Stops the threads after the jobs they are running; queued jobs are dropped.
    ~ServiceQueue();
    ServiceQueue(const ServiceQueue&) = delete;
    ServiceQueue& operator=(const ServiceQueue&) = delete;

    void post(std::function<void()> job);
    // Makes a clocked queue re-read nextTime().
    void reschedule();
    bool onServiceThread() const;

private:
    struct State;
    static void serve(const std::shared_ptr<State>& state);
    std::shared_ptr<State> state_;
};

}  // namespace qm::kernel::sim
