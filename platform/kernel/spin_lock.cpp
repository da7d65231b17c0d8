#include "platform/kernel/spin_lock.h"

#include <thread>

#include "platform/kernel/detail/scheduler.h"

namespace qm::kernel {

namespace {

// The holder's identity; never 0, which marks a free lock.
ULONG_PTR owner() { return reinterpret_cast<ULONG_PTR>(&detail::currentThread()); }

void spinAcquire(PKSPIN_LOCK lock)
{
    const ULONG_PTR self = owner();
    if (__atomic_load_n(lock, __ATOMIC_RELAXED) == self) {
        KeBugCheckEx(SPIN_LOCK_ALREADY_OWNED, reinterpret_cast<ULONG_PTR>(lock), 0, 0, 0);
        return;
    }
    for (;;) {
        ULONG_PTR expected = 0;
        if (__atomic_compare_exchange_n(lock, &expected, self, false, __ATOMIC_ACQUIRE, __ATOMIC_RELAXED))
            return;
        // The holder may be a preempted host thread: let it run.
        std::this_thread::yield();
    }
}

bool spinRelease(PKSPIN_LOCK lock)
{
    if (__atomic_load_n(lock, __ATOMIC_RELAXED) != owner()) {
        KeBugCheckEx(SPIN_LOCK_NOT_OWNED, reinterpret_cast<ULONG_PTR>(lock), 0, 0, 0);
        return false;
    }
    __atomic_store_n(lock, ULONG_PTR(0), __ATOMIC_RELEASE);
    return true;
}

KSPIN_LOCK cancelLock = 0;

}  // namespace

void KeInitializeSpinLock(PKSPIN_LOCK lock) { *lock = 0; }

void KeAcquireSpinLock(PKSPIN_LOCK lock, PKIRQL oldIrql)
{
    KeRaiseIrql(DISPATCH_LEVEL, oldIrql);
    spinAcquire(lock);
}

void KeReleaseSpinLock(PKSPIN_LOCK lock, KIRQL newIrql)
{
    spinRelease(lock);
    KeLowerIrql(newIrql);
}

void KeAcquireSpinLockAtDpcLevel(PKSPIN_LOCK lock)
{
    if (KeGetCurrentIrql() < DISPATCH_LEVEL) {
        KeBugCheckEx(IRQL_NOT_GREATER_OR_EQUAL, KeGetCurrentIrql(), DISPATCH_LEVEL, 0, 0);
        return;
    }
    spinAcquire(lock);
}

void KeReleaseSpinLockFromDpcLevel(PKSPIN_LOCK lock) { spinRelease(lock); }

void IoAcquireCancelSpinLock(PKIRQL oldIrql) { KeAcquireSpinLock(&cancelLock, oldIrql); }

void IoReleaseCancelSpinLock(KIRQL newIrql) { KeReleaseSpinLock(&cancelLock, newIrql); }

PLIST_ENTRY ExInterlockedInsertHeadList(PLIST_ENTRY head, PLIST_ENTRY entry, PKSPIN_LOCK lock)
{
    KIRQL old;
    KeAcquireSpinLock(lock, &old);
    PLIST_ENTRY first = IsListEmpty(head) ? nullptr : head->Flink;
    InsertHeadList(head, entry);
    KeReleaseSpinLock(lock, old);
    return first;
}

PLIST_ENTRY ExInterlockedInsertTailList(PLIST_ENTRY head, PLIST_ENTRY entry, PKSPIN_LOCK lock)
{
    KIRQL old;
    KeAcquireSpinLock(lock, &old);
    PLIST_ENTRY last = IsListEmpty(head) ? nullptr : head->Blink;
    InsertTailList(head, entry);
    KeReleaseSpinLock(lock, old);
    return last;
}

PLIST_ENTRY ExInterlockedRemoveHeadList(PLIST_ENTRY head, PKSPIN_LOCK lock)
{
    KIRQL old;
    KeAcquireSpinLock(lock, &old);
    PLIST_ENTRY first = IsListEmpty(head) ? nullptr : RemoveHeadList(head);
    KeReleaseSpinLock(lock, old);
    return first;
}

}  // namespace qm::kernel
