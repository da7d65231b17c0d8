#include "platform/kernel/work_items.h"

#include "platform/kernel/pool.h"
#include "platform/kernel/sim_clock.h"

namespace qm::kernel {

namespace {

inline constexpr ULONG kWorkItemTag = makePoolTag("IoWk");
// Enough threads that items waiting on each other do not starve the queue.
inline constexpr unsigned kWorkersPerQueue = 8;

PLIST_ENTRY queuedMark(PWORK_QUEUE_ITEM item) { return &item->List; }

// Never destroyed: worker threads may be busy while the process exits.
sim::ServiceQueue& workQueue(WORK_QUEUE_TYPE type)
{
    static auto* critical = new sim::ServiceQueue(sim::ThreadRole::CriticalWorker, kWorkersPerQueue);
    static auto* delayed = new sim::ServiceQueue(sim::ThreadRole::DelayedWorker, kWorkersPerQueue);
    return type == DelayedWorkQueue ? *delayed : *critical;
}

}  // namespace

struct IO_WORKITEM {
    WORK_QUEUE_ITEM Item;
    PDEVICE_OBJECT DeviceObject;
    PIO_WORKITEM_ROUTINE Routine;
    PVOID Context;
};

void ExQueueWorkItem(PWORK_QUEUE_ITEM item, WORK_QUEUE_TYPE queueType)
{
    if (KeGetCurrentIrql() > DISPATCH_LEVEL) {
        KeBugCheckEx(IRQL_NOT_LESS_OR_EQUAL, KeGetCurrentIrql(), reinterpret_cast<ULONG_PTR>(item), 0, 0);
        return;
    }
    if (__atomic_exchange_n(&item->List.Flink, queuedMark(item), __ATOMIC_ACQ_REL) != nullptr) {
        KeBugCheckEx(WORKER_INVALID, 1, reinterpret_cast<ULONG_PTR>(item), 0, 0);
        return;
    }
    workQueue(queueType).post([item] {
        // Cleared first so the routine may queue the item again.
        const PWORKER_THREAD_ROUTINE routine = item->WorkerRoutine;
        PVOID parameter = item->Parameter;
        __atomic_store_n(&item->List.Flink, nullptr, __ATOMIC_RELEASE);
        routine(parameter);
    });
}

PIO_WORKITEM IoAllocateWorkItem(PDEVICE_OBJECT deviceObject)
{
    auto* item = static_cast<PIO_WORKITEM>(ExAllocatePoolWithTag(NonPagedPool, sizeof(IO_WORKITEM), kWorkItemTag));
    if (item == nullptr)
        return nullptr;
    item->DeviceObject = deviceObject;
    item->Routine = nullptr;
    item->Context = nullptr;
    ExInitializeWorkItem(&item->Item, nullptr, item);
    return item;
}

void IoQueueWorkItem(PIO_WORKITEM item, PIO_WORKITEM_ROUTINE routine, WORK_QUEUE_TYPE queueType, PVOID context)
{
    if (__atomic_load_n(&item->Item.List.Flink, __ATOMIC_ACQUIRE) != nullptr) {
        KeBugCheckEx(WORKER_INVALID, 1, reinterpret_cast<ULONG_PTR>(item), 0, 0);
        return;
    }
    item->Routine = routine;
    item->Context = context;
    item->Item.WorkerRoutine = [](PVOID parameter) {
        auto* self = static_cast<PIO_WORKITEM>(parameter);
        self->Routine(self->DeviceObject, self->Context);
    };
    item->Item.Parameter = item;
    ExQueueWorkItem(&item->Item, queueType);
}

void IoFreeWorkItem(PIO_WORKITEM item)
{
    if (item == nullptr)
        return;
    if (__atomic_load_n(&item->Item.List.Flink, __ATOMIC_ACQUIRE) != nullptr) {
        KeBugCheckEx(WORKER_INVALID, 2, reinterpret_cast<ULONG_PTR>(item), 0, 0);
        return;
    }
    ExFreePoolWithTag(item, kWorkItemTag);
}

}  // namespace qm::kernel
