#include "platform/kernel/dispatcher.h"

#include <chrono>
#include <thread>

#include "platform/kernel/detail/dispatcher_objects.h"
#include "platform/kernel/detail/scheduler.h"
#include "platform/kernel/timers.h"

namespace qm::kernel {

using namespace detail;

namespace {

const void* threadIdentity() { return &currentThread(); }

bool isSignalled(const DISPATCHER_HEADER* header, const void* thread)
{
    if (header->Type == MutantObject) {
        const auto* mutex = reinterpret_cast<const KMUTEX*>(header);
        return header->SignalState > 0 || mutex->OwnerThread == thread;
    }
    return header->SignalState > 0;
}

void consume(DISPATCHER_HEADER* header, const void* thread)
{
    switch (header->Type) {
    case EventSynchronizationObject:
    case TimerSynchronizationObject:
        header->SignalState = 0;
        break;
    case SemaphoreObject:
        --header->SignalState;
        break;
    case MutantObject:
        --header->SignalState;
        reinterpret_cast<KMUTEX*>(header)->OwnerThread = thread;
        break;
    default:  // notification objects stay signalled
        break;
    }
}

// Satisfies the wait if it can, consuming what it takes.
bool trySatisfy(Waiter& waiter)
{
    auto header = [&](ULONG i) { return static_cast<DISPATCHER_HEADER*>(waiter.objects[i]); };
    if (waiter.waitAll) {
        for (ULONG i = 0; i < waiter.objectCount; ++i)
            if (!isSignalled(header(i), waiter.thread))
                return false;
        for (ULONG i = 0; i < waiter.objectCount; ++i)
            consume(header(i), waiter.thread);
        waiter.satisfiedIndex = 0;
        return true;
    }
    for (ULONG i = 0; i < waiter.objectCount; ++i) {
        if (isSignalled(header(i), waiter.thread)) {
            consume(header(i), waiter.thread);
            waiter.satisfiedIndex = LONG(i);
            return true;
        }
    }
    return false;
}

// Negative: relative; positive: absolute system time; null: none.
LONGLONG deadlineFor(PLARGE_INTEGER timeout)
{
    if (timeout == nullptr)
        return kNoDeadline;
    const LONGLONG now = interruptTimeLocked();
    if (timeout->QuadPart <= 0)
        return now - timeout->QuadPart;
    return timeout->QuadPart - systemTimeAtStart();
}

bool mayWait(PLARGE_INTEGER timeout)
{
    const KIRQL irql = KeGetCurrentIrql();
    const bool polling = timeout != nullptr && timeout->QuadPart == 0;
    if (irql > DISPATCH_LEVEL || (irql > APC_LEVEL && !polling)) {
        KeBugCheckEx(IRQL_NOT_LESS_OR_EQUAL, irql, timeout == nullptr ? 0 : ULONG_PTR(timeout->QuadPart), 0, 0);
        return false;
    }
    return true;
}

NTSTATUS waitFor(void* const* objects, ULONG count, bool waitAll, PLARGE_INTEGER timeout)
{
    if (!mayWait(timeout))
        return STATUS_TIMEOUT;
    Lock lock(kernelLock());
    Waiter waiter;
    waiter.objects = objects;
    waiter.objectCount = count;
    waiter.waitAll = waitAll;
    waiter.thread = threadIdentity();
    if (trySatisfy(waiter))
        return STATUS_WAIT_0 + waiter.satisfiedIndex;
    waiter.deadline = deadlineFor(timeout);
    block(lock, waiter);
    if (waiter.satisfiedIndex >= 0)
        return STATUS_WAIT_0 + waiter.satisfiedIndex;
    return STATUS_TIMEOUT;
}

void initializeHeader(DISPATCHER_HEADER* header, UCHAR type, UCHAR size, LONG state)
{
    header->Type = type;
    header->Absolute = 0;
    header->Size = size;
    header->Inserted = 0;
    header->SignalState = state;
    InitializeListHead(&header->WaitListHead);
}

}  // namespace

namespace detail {

void satisfyWaiters()
{
    for (Waiter* waiter : waiters())
        if (!waiter->woken && waiter->objects != nullptr && trySatisfy(*waiter))
            wake(*waiter);
}

}  // namespace detail

void KeInitializeEvent(PRKEVENT event, EVENT_TYPE type, BOOLEAN state)
{
    initializeHeader(&event->Header,
                     type == NotificationEvent ? EventNotificationObject : EventSynchronizationObject,
                     sizeof(KEVENT) / sizeof(LONG), state ? 1 : 0);
}

LONG KeSetEvent(PRKEVENT event, KPRIORITY, BOOLEAN)
{
    Lock lock(kernelLock());
    const LONG previous = event->Header.SignalState;
    event->Header.SignalState = 1;
    satisfyWaiters();
    return previous;
}

LONG KeResetEvent(PRKEVENT event)
{
    Lock lock(kernelLock());
    const LONG previous = event->Header.SignalState;
    event->Header.SignalState = 0;
    return previous;
}

void KeClearEvent(PRKEVENT event) { KeResetEvent(event); }

LONG KePulseEvent(PRKEVENT event, KPRIORITY, BOOLEAN)
{
    Lock lock(kernelLock());
    const LONG previous = event->Header.SignalState;
    event->Header.SignalState = 1;
    satisfyWaiters();
    event->Header.SignalState = 0;
    return previous;
}

LONG KeReadStateEvent(PRKEVENT event)
{
    Lock lock(kernelLock());
    return event->Header.SignalState;
}

void KeInitializeSemaphore(PRKSEMAPHORE semaphore, LONG count, LONG limit)
{
    initializeHeader(&semaphore->Header, SemaphoreObject, sizeof(KSEMAPHORE) / sizeof(LONG), count);
    semaphore->Limit = limit;
}

LONG KeReleaseSemaphore(PRKSEMAPHORE semaphore, KPRIORITY, LONG adjustment, BOOLEAN)
{
    Lock lock(kernelLock());
    const LONG previous = semaphore->Header.SignalState;
    if (adjustment <= 0 || previous > semaphore->Limit - adjustment) {
        lock.unlock();
        KeBugCheckEx(SEMAPHORE_LIMIT_EXCEEDED, reinterpret_cast<ULONG_PTR>(semaphore), ULONG_PTR(previous),
                     ULONG_PTR(adjustment), ULONG_PTR(semaphore->Limit));
        return previous;
    }
    semaphore->Header.SignalState = previous + adjustment;
    satisfyWaiters();
    return previous;
}

LONG KeReadStateSemaphore(PRKSEMAPHORE semaphore)
{
    Lock lock(kernelLock());
    return semaphore->Header.SignalState;
}

void KeInitializeMutex(PRKMUTEX mutex, ULONG)
{
    initializeHeader(&mutex->Header, MutantObject, sizeof(KMUTEX) / sizeof(LONG), 1);
    InitializeListHead(&mutex->MutantListEntry);
    mutex->OwnerThread = nullptr;
    mutex->Abandoned = FALSE;
    mutex->ApcDisable = 1;
}

LONG KeReleaseMutex(PRKMUTEX mutex, BOOLEAN)
{
    Lock lock(kernelLock());
    const LONG previous = mutex->Header.SignalState;
    if (mutex->OwnerThread != threadIdentity()) {
        lock.unlock();
        KeBugCheckEx(MUTEX_NOT_OWNED, reinterpret_cast<ULONG_PTR>(mutex), 0, 0, 0);
        return previous;
    }
    if (++mutex->Header.SignalState > 0) {
        mutex->Header.SignalState = 1;
        mutex->OwnerThread = nullptr;
        satisfyWaiters();
    }
    return previous;
}

LONG KeReadStateMutex(PRKMUTEX mutex)
{
    Lock lock(kernelLock());
    return mutex->Header.SignalState;
}

void ExInitializeFastMutex(PFAST_MUTEX mutex)
{
    mutex->Count = 1;
    mutex->Owner = nullptr;
    mutex->Contention = 0;
    mutex->OldIrql = PASSIVE_LEVEL;
    KeInitializeEvent(&mutex->Event, SynchronizationEvent, TRUE);
}

void ExAcquireFastMutex(PFAST_MUTEX mutex)
{
    KIRQL old;
    KeRaiseIrql(APC_LEVEL, &old);
    KeWaitForSingleObject(&mutex->Event, Executive, KernelMode, FALSE, nullptr);
    mutex->Owner = threadIdentity();
    mutex->OldIrql = old;
    mutex->Count = 0;
}

BOOLEAN ExTryToAcquireFastMutex(PFAST_MUTEX mutex)
{
    KIRQL old;
    KeRaiseIrql(APC_LEVEL, &old);
    LARGE_INTEGER zero{};
    if (KeWaitForSingleObject(&mutex->Event, Executive, KernelMode, FALSE, &zero) != STATUS_SUCCESS) {
        KeLowerIrql(old);
        return FALSE;
    }
    mutex->Owner = threadIdentity();
    mutex->OldIrql = old;
    mutex->Count = 0;
    return TRUE;
}

void ExReleaseFastMutex(PFAST_MUTEX mutex)
{
    const KIRQL old = KIRQL(mutex->OldIrql);
    mutex->Owner = nullptr;
    mutex->Count = 1;
    KeSetEvent(&mutex->Event, 0, FALSE);
    KeLowerIrql(old);
}

NTSTATUS KeWaitForSingleObject(PVOID object, KWAIT_REASON, KPROCESSOR_MODE, BOOLEAN, PLARGE_INTEGER timeout)
{
    void* objects[1] = {object};
    return waitFor(objects, 1, false, timeout);
}

NTSTATUS KeWaitForMultipleObjects(ULONG count, PVOID objects[], WAIT_TYPE waitType, KWAIT_REASON, KPROCESSOR_MODE,
                                  BOOLEAN, PLARGE_INTEGER timeout, PVOID)
{
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || objects == nullptr)
        return STATUS_INVALID_PARAMETER;
    return waitFor(objects, count, waitType == WaitAll, timeout);
}

NTSTATUS KeDelayExecutionThread(KPROCESSOR_MODE, BOOLEAN, PLARGE_INTEGER interval)
{
    if (interval == nullptr)
        return STATUS_INVALID_PARAMETER;
    if (!mayWait(interval))
        return STATUS_SUCCESS;
    Lock lock(kernelLock());
    Waiter waiter;
    waiter.deadline = deadlineFor(interval);
    block(lock, waiter);
    return STATUS_SUCCESS;
}

void KeStallExecutionProcessor(ULONG microseconds)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(microseconds);
    while (std::chrono::steady_clock::now() < until)
        std::this_thread::yield();
}

}  // namespace qm::kernel
