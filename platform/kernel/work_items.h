// System work items: routines run at passive level on the worker threads of
// the critical or the delayed work queue. Queueing an item that is still
// queued is a bug check; an item may queue itself again once it runs.
#pragma once

#include "platform/kernel/io.h"

namespace qm::kernel {

enum WORK_QUEUE_TYPE { CriticalWorkQueue = 0, DelayedWorkQueue = 1, HyperCriticalWorkQueue = 2 };

using PWORKER_THREAD_ROUTINE = void (*)(PVOID parameter);

struct WORK_QUEUE_ITEM {
    LIST_ENTRY List;  // Flink is non-null while queued
    PWORKER_THREAD_ROUTINE WorkerRoutine;
    PVOID Parameter;
};
using PWORK_QUEUE_ITEM = WORK_QUEUE_ITEM*;

inline void ExInitializeWorkItem(PWORK_QUEUE_ITEM item, PWORKER_THREAD_ROUTINE routine, PVOID parameter)
{
    item->List.Flink = nullptr;
    item->WorkerRoutine = routine;
    item->Parameter = parameter;
}
void ExQueueWorkItem(PWORK_QUEUE_ITEM item, WORK_QUEUE_TYPE queueType);

// Work items tied to a device object, allocated from pool.
struct IO_WORKITEM;
using PIO_WORKITEM = IO_WORKITEM*;
using PIO_WORKITEM_ROUTINE = void (*)(PDEVICE_OBJECT deviceObject, PVOID context);

PIO_WORKITEM IoAllocateWorkItem(PDEVICE_OBJECT deviceObject);
void IoQueueWorkItem(PIO_WORKITEM item, PIO_WORKITEM_ROUTINE routine, WORK_QUEUE_TYPE queueType, PVOID context);
// Freeing an item that is still queued is a bug check.
void IoFreeWorkItem(PIO_WORKITEM item);

inline constexpr ULONG WORKER_INVALID = 0xE4;

}  // namespace qm::kernel
