// Timers, deferred procedure calls and the system time. DPCs run on the
// timer thread at dispatch level, one at a time, in the order queued (high
// importance ones first); expired timers queue their DPC there. Due times
// use the kernel clock (platform/kernel/sim_clock.h).
#pragma once

#include "platform/kernel/dispatcher.h"

namespace qm::kernel {

struct KDPC;
using PKDPC = KDPC*;
using PRKDPC = KDPC*;
using PKDEFERRED_ROUTINE = void (*)(PKDPC dpc, PVOID deferredContext, PVOID systemArgument1,
                                    PVOID systemArgument2);

enum KDPC_IMPORTANCE { LowImportance = 0, MediumImportance = 1, HighImportance = 2 };

struct KDPC {
    UCHAR Type;
    UCHAR Importance;
    USHORT Number;
    LIST_ENTRY DpcListEntry;
    PKDEFERRED_ROUTINE DeferredRoutine;
    PVOID DeferredContext;
    PVOID SystemArgument1;
    PVOID SystemArgument2;
    PVOID DpcData;  // non-null while queued
};

enum TIMER_TYPE { NotificationTimer = 0, SynchronizationTimer = 1 };

struct KTIMER {
    DISPATCHER_HEADER Header;
    ULARGE_INTEGER DueTime;  // interrupt time of the next expiry
    LIST_ENTRY TimerListEntry;
    PKDPC Dpc;
    LONG Period;  // milliseconds; 0 for a one-shot timer
};
using PKTIMER = KTIMER*;

void KeInitializeDpc(PRKDPC dpc, PKDEFERRED_ROUTINE routine, PVOID context);
void KeSetImportanceDpc(PRKDPC dpc, KDPC_IMPORTANCE importance);
// FALSE when the DPC is already queued.
BOOLEAN KeInsertQueueDpc(PRKDPC dpc, PVOID systemArgument1, PVOID systemArgument2);
// FALSE when it was not queued.
BOOLEAN KeRemoveQueueDpc(PRKDPC dpc);
// Waits until every DPC queued so far has run (passive level only).
void KeFlushQueuedDpcs();

void KeInitializeTimer(PKTIMER timer);
void KeInitializeTimerEx(PKTIMER timer, TIMER_TYPE type);
// TRUE when the timer was already set (it is then re-set).
BOOLEAN KeSetTimer(PKTIMER timer, LARGE_INTEGER dueTime, PKDPC dpc);
BOOLEAN KeSetTimerEx(PKTIMER timer, LARGE_INTEGER dueTime, LONG periodMilliseconds, PKDPC dpc);
// TRUE when the timer was set.
BOOLEAN KeCancelTimer(PKTIMER timer);
BOOLEAN KeReadStateTimer(PKTIMER timer);

void KeQuerySystemTime(PLARGE_INTEGER currentTime);
ULONGLONG KeQueryInterruptTime();
void KeQueryTickCount(PLARGE_INTEGER tickCount);
ULONG KeQueryTimeIncrement();

}  // namespace qm::kernel
