// Dispatcher objects and waits: notification and synchronisation events,
// semaphores with limits, mutexes and fast mutexes, waits with time-outs and
// delays. Objects live in the caller's memory (device extensions, pool) and
// are set up by their Ke*Initialize* call, as in the original.
//
// Time-outs follow the kernel's convention: null waits for ever, a negative
// value is relative (100-ns units), a positive one absolute system time, zero
// only tests the state. Waiting with a non-zero time-out above APC level is a
// bug check.
#pragma once

#include "platform/kernel/irql.h"
#include "platform/kernel/ntstatus.h"

namespace qm::kernel {

struct DISPATCHER_HEADER {
    UCHAR Type;
    UCHAR Absolute;
    UCHAR Size;
    UCHAR Inserted;
    LONG SignalState;
    LIST_ENTRY WaitListHead;
};

enum KOBJECTS : UCHAR {
    EventNotificationObject = 0,
    EventSynchronizationObject = 1,
    MutantObject = 2,
    SemaphoreObject = 5,
    TimerNotificationObject = 8,
    TimerSynchronizationObject = 9,
};

enum EVENT_TYPE { NotificationEvent = 0, SynchronizationEvent = 1 };
enum WAIT_TYPE { WaitAll = 0, WaitAny = 1 };
enum KWAIT_REASON { Executive = 0, UserRequest = 6, Suspended = 5 };
enum MODE : CCHAR { KernelMode = 0, UserMode = 1 };
using KPROCESSOR_MODE = CCHAR;

struct KEVENT {
    DISPATCHER_HEADER Header;
};
using PKEVENT = KEVENT*;
using PRKEVENT = KEVENT*;

struct KSEMAPHORE {
    DISPATCHER_HEADER Header;
    LONG Limit;
};
using PKSEMAPHORE = KSEMAPHORE*;
using PRKSEMAPHORE = KSEMAPHORE*;

struct KMUTEX {
    DISPATCHER_HEADER Header;
    LIST_ENTRY MutantListEntry;
    const void* OwnerThread;
    BOOLEAN Abandoned;
    UCHAR ApcDisable;
};
using PKMUTEX = KMUTEX*;
using PRKMUTEX = KMUTEX*;

struct FAST_MUTEX {
    LONG Count;
    const void* Owner;
    ULONG Contention;
    KEVENT Event;
    ULONG OldIrql;
};
using PFAST_MUTEX = FAST_MUTEX*;

inline constexpr LONG EVENT_INCREMENT = 1;
inline constexpr LONG SEMAPHORE_INCREMENT = 1;
inline constexpr LONG IO_NO_INCREMENT = 0;
inline constexpr ULONG MAXIMUM_WAIT_OBJECTS = 64;

void KeInitializeEvent(PRKEVENT event, EVENT_TYPE type, BOOLEAN state);
// Returns the previous state.
LONG KeSetEvent(PRKEVENT event, KPRIORITY increment, BOOLEAN wait);
LONG KeResetEvent(PRKEVENT event);
void KeClearEvent(PRKEVENT event);
LONG KePulseEvent(PRKEVENT event, KPRIORITY increment, BOOLEAN wait);
LONG KeReadStateEvent(PRKEVENT event);

void KeInitializeSemaphore(PRKSEMAPHORE semaphore, LONG count, LONG limit);
// Adds `adjustment` and returns the previous count. Passing the limit is a
// bug check (SEMAPHORE_LIMIT_EXCEEDED); the count is then left unchanged.
LONG KeReleaseSemaphore(PRKSEMAPHORE semaphore, KPRIORITY increment, LONG adjustment, BOOLEAN wait);
LONG KeReadStateSemaphore(PRKSEMAPHORE semaphore);

void KeInitializeMutex(PRKMUTEX mutex, ULONG level);
LONG KeReleaseMutex(PRKMUTEX mutex, BOOLEAN wait);
LONG KeReadStateMutex(PRKMUTEX mutex);

void ExInitializeFastMutex(PFAST_MUTEX mutex);
void ExAcquireFastMutex(PFAST_MUTEX mutex);
void ExReleaseFastMutex(PFAST_MUTEX mutex);
BOOLEAN ExTryToAcquireFastMutex(PFAST_MUTEX mutex);

// STATUS_SUCCESS (or STATUS_WAIT_0 + index for WaitAny) or STATUS_TIMEOUT.
NTSTATUS KeWaitForSingleObject(PVOID object, KWAIT_REASON reason, KPROCESSOR_MODE mode, BOOLEAN alertable,
                               PLARGE_INTEGER timeout);
NTSTATUS KeWaitForMultipleObjects(ULONG count, PVOID objects[], WAIT_TYPE waitType, KWAIT_REASON reason,
                                  KPROCESSOR_MODE mode, BOOLEAN alertable, PLARGE_INTEGER timeout,
                                  PVOID waitBlockArray);
inline NTSTATUS KeWaitForMutexObject(PRKMUTEX mutex, KWAIT_REASON reason, KPROCESSOR_MODE mode, BOOLEAN alertable,
                                     PLARGE_INTEGER timeout)
{
    return KeWaitForSingleObject(mutex, reason, mode, alertable, timeout);
}

NTSTATUS KeDelayExecutionThread(KPROCESSOR_MODE mode, BOOLEAN alertable, PLARGE_INTEGER interval);
// Busy-waits in real time whatever the clock mode (microseconds).
void KeStallExecutionProcessor(ULONG microseconds);

}  // namespace qm::kernel
