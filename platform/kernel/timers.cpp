#include "platform/kernel/timers.h"

#include <chrono>
#include <deque>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "platform/kernel/detail/dispatcher_objects.h"
#include "platform/kernel/detail/scheduler.h"

namespace qm::kernel {

using namespace detail;

namespace {

inline constexpr ULONG kTimeIncrement = 100000;  // 10 ms clock tick
inline constexpr ULONG_PTR kQueuedMark = 1;
inline PVOID queuedMark() { return reinterpret_cast<PVOID>(kQueuedMark); }

// Timers ordered by expiry, the DPC queue and the thread that serves both.
struct TimerSystem {
    std::set<std::pair<LONGLONG, KTIMER*>> timers;
    std::deque<KDPC*> dpcs;
    Waiter* idle = nullptr;
    bool dpcRunning = false;
    std::vector<Waiter*> flushers;
    bool started = false;
};

TimerSystem& timerSystem()
{
    static TimerSystem* instance = new TimerSystem;
    return *instance;
}

void wakeTimerThread(TimerSystem& system)
{
    if (system.idle != nullptr)
        wake(*system.idle);
}

void queueDpc(TimerSystem& system, KDPC* dpc)
{
    dpc->DpcData = queuedMark();
    if (dpc->Importance == HighImportance)
        system.dpcs.push_front(dpc);
    else
        system.dpcs.push_back(dpc);
    addPendingWork(1);
    wakeTimerThread(system);
}

bool insertDpc(TimerSystem& system, KDPC* dpc, PVOID argument1, PVOID argument2)
{
    if (dpc->DpcData != nullptr)
        return false;
    dpc->SystemArgument1 = argument1;
    dpc->SystemArgument2 = argument2;
    queueDpc(system, dpc);
    return true;
}

void removeTimer(TimerSystem& system, KTIMER* timer)
{
    system.timers.erase({LONGLONG(timer->DueTime.QuadPart), timer});
    timer->Header.Inserted = 0;
}

void insertTimer(TimerSystem& system, KTIMER* timer, LONGLONG due)
{
    timer->DueTime.QuadPart = ULONGLONG(due);
    timer->Header.Inserted = 1;
    system.timers.insert({due, timer});
    wakeTimerThread(system);
}

void expireTimers(TimerSystem& system, LONGLONG now)
{
    while (!system.timers.empty() && system.timers.begin()->first <= now) {
        KTIMER* timer = system.timers.begin()->second;
        const LONGLONG due = system.timers.begin()->first;
        removeTimer(system, timer);
        timer->Header.SignalState = 1;
        satisfyWaiters();
        if (timer->Period > 0) {
            LONGLONG next = due + LONGLONG(timer->Period) * kTicksPerMillisecond;
            if (next <= now)
                next = now + LONGLONG(timer->Period) * kTicksPerMillisecond;
            insertTimer(system, timer, next);
        }
        if (timer->Dpc != nullptr) {
            const LONGLONG systemTime = systemTimeAtStart() + due;
            insertDpc(system, timer->Dpc, reinterpret_cast<PVOID>(ULONG_PTR(ULONG(systemTime))),
                      reinterpret_cast<PVOID>(ULONG_PTR(ULONG(systemTime >> 32))));
        }
    }
}

void timerThread()
{
    TimerSystem& system = timerSystem();
    Lock lock(kernelLock());
    for (;;) {
        expireTimers(system, interruptTimeLocked());
        if (!system.dpcs.empty()) {
            KDPC* dpc = system.dpcs.front();
            system.dpcs.pop_front();
            dpc->DpcData = nullptr;
            addPendingWork(-1);
            system.dpcRunning = true;
            const PKDEFERRED_ROUTINE routine = dpc->DeferredRoutine;
            PVOID context = dpc->DeferredContext;
            PVOID argument1 = dpc->SystemArgument1;
            PVOID argument2 = dpc->SystemArgument2;
            lock.unlock();
            routine(dpc, context, argument1, argument2);
            if (KeGetCurrentIrql() != DISPATCH_LEVEL) {
                KeBugCheckEx(IRQL_UNEXPECTED_VALUE, KeGetCurrentIrql(), DISPATCH_LEVEL,
                             reinterpret_cast<ULONG_PTR>(routine), 0);
                currentThread().irql = DISPATCH_LEVEL;
            }
            lock.lock();
            system.dpcRunning = false;
            continue;
        }
        for (Waiter* flusher : system.flushers)
            wake(*flusher);
        Waiter waiter;
        waiter.deadline = system.timers.empty() ? kNoDeadline : system.timers.begin()->first;
        system.idle = &waiter;
        block(lock, waiter);
        system.idle = nullptr;
    }
}

// Under the kernel lock.
TimerSystem& runningTimerSystem()
{
    TimerSystem& system = timerSystem();
    if (!system.started) {
        system.started = true;
        startSimulatedThread(sim::ThreadRole::Timer, DISPATCH_LEVEL, timerThread).detach();
    }
    return system;
}

LONGLONG dueFrom(LARGE_INTEGER dueTime)
{
    const LONGLONG now = interruptTimeLocked();
    if (dueTime.QuadPart <= 0)
        return now - dueTime.QuadPart;
    return dueTime.QuadPart - systemTimeAtStart();
}

}  // namespace

namespace detail {

LONGLONG systemTimeAtStart()
{
    // 100-ns intervals between 1601-01-01 and the Unix epoch.
    static const LONGLONG start = [] {
        constexpr LONGLONG epochOffset = 116444736000000000LL;
        const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
        return epochOffset + std::chrono::duration_cast<std::chrono::duration<LONGLONG, std::ratio<1, 10000000>>>(
                                 sinceEpoch)
                                 .count();
    }();
    return start;
}

}  // namespace detail

void KeInitializeDpc(PRKDPC dpc, PKDEFERRED_ROUTINE routine, PVOID context)
{
    dpc->Type = 0x13;
    dpc->Importance = MediumImportance;
    dpc->Number = 0;
    InitializeListHead(&dpc->DpcListEntry);
    dpc->DeferredRoutine = routine;
    dpc->DeferredContext = context;
    dpc->SystemArgument1 = dpc->SystemArgument2 = nullptr;
    dpc->DpcData = nullptr;
}

void KeSetImportanceDpc(PRKDPC dpc, KDPC_IMPORTANCE importance) { dpc->Importance = UCHAR(importance); }

BOOLEAN KeInsertQueueDpc(PRKDPC dpc, PVOID systemArgument1, PVOID systemArgument2)
{
    Lock lock(kernelLock());
    return insertDpc(runningTimerSystem(), dpc, systemArgument1, systemArgument2) ? TRUE : FALSE;
}

BOOLEAN KeRemoveQueueDpc(PRKDPC dpc)
{
    Lock lock(kernelLock());
    TimerSystem& system = timerSystem();
    if (dpc->DpcData == nullptr)
        return FALSE;
    for (auto it = system.dpcs.begin(); it != system.dpcs.end(); ++it) {
        if (*it == dpc) {
            system.dpcs.erase(it);
            addPendingWork(-1);
            break;
        }
    }
    dpc->DpcData = nullptr;
    return TRUE;
}

void KeFlushQueuedDpcs()
{
    if (KeGetCurrentIrql() != PASSIVE_LEVEL || sim::currentThreadRole() == sim::ThreadRole::Timer) {
        KeBugCheckEx(IRQL_NOT_LESS_OR_EQUAL, KeGetCurrentIrql(), 0, 0, 0);
        return;
    }
    Lock lock(kernelLock());
    TimerSystem& system = timerSystem();
    while (!system.dpcs.empty() || system.dpcRunning) {
        Waiter waiter;
        system.flushers.push_back(&waiter);
        block(lock, waiter);
        std::erase(system.flushers, &waiter);
    }
}

void KeInitializeTimer(PKTIMER timer) { KeInitializeTimerEx(timer, NotificationTimer); }

void KeInitializeTimerEx(PKTIMER timer, TIMER_TYPE type)
{
    timer->Header.Type = type == NotificationTimer ? TimerNotificationObject : TimerSynchronizationObject;
    timer->Header.Absolute = 0;
    timer->Header.Size = sizeof(KTIMER) / sizeof(LONG);
    timer->Header.Inserted = 0;
    timer->Header.SignalState = 0;
    InitializeListHead(&timer->Header.WaitListHead);
    timer->DueTime.QuadPart = 0;
    InitializeListHead(&timer->TimerListEntry);
    timer->Dpc = nullptr;
    timer->Period = 0;
}

BOOLEAN KeSetTimer(PKTIMER timer, LARGE_INTEGER dueTime, PKDPC dpc) { return KeSetTimerEx(timer, dueTime, 0, dpc); }

BOOLEAN KeSetTimerEx(PKTIMER timer, LARGE_INTEGER dueTime, LONG periodMilliseconds, PKDPC dpc)
{
    if (periodMilliseconds < 0) {
        KeBugCheckEx(TIMER_OR_DPC_INVALID, reinterpret_cast<ULONG_PTR>(timer), ULONG_PTR(periodMilliseconds), 0,
                     0);
        return FALSE;
    }
    Lock lock(kernelLock());
    TimerSystem& system = runningTimerSystem();
    const bool wasSet = timer->Header.Inserted != 0;
    if (wasSet)
        removeTimer(system, timer);
    timer->Header.SignalState = 0;
    timer->Dpc = dpc;
    timer->Period = periodMilliseconds;
    insertTimer(system, timer, dueFrom(dueTime));
    return wasSet ? TRUE : FALSE;
}

BOOLEAN KeCancelTimer(PKTIMER timer)
{
    Lock lock(kernelLock());
    if (timer->Header.Inserted == 0)
        return FALSE;
    removeTimer(timerSystem(), timer);
    return TRUE;
}

BOOLEAN KeReadStateTimer(PKTIMER timer)
{
    Lock lock(kernelLock());
    return timer->Header.SignalState != 0 ? TRUE : FALSE;
}

void KeQuerySystemTime(PLARGE_INTEGER currentTime)
{
    currentTime->QuadPart = systemTimeAtStart() + sim::interruptTime();
}

ULONGLONG KeQueryInterruptTime() { return ULONGLONG(sim::interruptTime()); }

void KeQueryTickCount(PLARGE_INTEGER tickCount) { tickCount->QuadPart = sim::interruptTime() / kTimeIncrement; }

ULONG KeQueryTimeIncrement() { return kTimeIncrement; }

}  // namespace qm::kernel
