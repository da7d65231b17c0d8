#include "platform/kernel/timers.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/kernel/pool.h"
#include "platform/kernel/sim_clock.h"
#include "platform/kernel/work_items.h"
#include "tests/platform/kernel/sim_fixture.h"

namespace qm::kernel {
namespace {

class TimersAndDpcs : public test::SimulatedKernelTest {};

LARGE_INTEGER relativeMs(LONGLONG milliseconds) { return LARGE_INTEGER{.QuadPart = -milliseconds * 10000}; }

// What a DPC or work item saw when it ran.
struct Record {
    sim::ThreadRole role;
    KIRQL irql;
    LONGLONG time;
};

struct Recorder {
    std::mutex lock;
    std::vector<Record> runs;
    void note()
    {
        std::lock_guard<std::mutex> guard(lock);
        runs.push_back({sim::currentThreadRole(), KeGetCurrentIrql(), sim::interruptTime()});
    }
    std::vector<Record> get()
    {
        std::lock_guard<std::mutex> guard(lock);
        return runs;
    }
};

void recordingDpc(PKDPC, PVOID context, PVOID, PVOID) { static_cast<Recorder*>(context)->note(); }

TEST_F(TimersAndDpcs, AOneShotTimerRunsItsDpcOnTheTimerThreadAtDispatchLevel)
{
    Recorder recorder;
    KDPC dpc;
    KTIMER timer;
    KeInitializeDpc(&dpc, recordingDpc, &recorder);
    KeInitializeTimer(&timer);
    const LONGLONG start = sim::interruptTime();
    EXPECT_FALSE(KeSetTimer(&timer, relativeMs(10), &dpc));
    advance(9);
    EXPECT_TRUE(recorder.get().empty());
    EXPECT_FALSE(KeReadStateTimer(&timer));
    advance(1);
    const auto runs = recorder.get();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].role, sim::ThreadRole::Timer);
    EXPECT_EQ(runs[0].irql, DISPATCH_LEVEL);
    EXPECT_EQ(runs[0].time - start, 10 * 10000);
    EXPECT_TRUE(KeReadStateTimer(&timer));
    EXPECT_FALSE(KeCancelTimer(&timer));
    advance(50);
    EXPECT_EQ(recorder.get().size(), 1u);
}

TEST_F(TimersAndDpcs, APeriodicTimerRunsEveryPeriodUntilCancelled)
{
    Recorder recorder;
    KDPC dpc;
    KTIMER timer;
    KeInitializeDpc(&dpc, recordingDpc, &recorder);
    KeInitializeTimerEx(&timer, SynchronizationTimer);
    const LONGLONG start = sim::interruptTime();
    KeSetTimerEx(&timer, relativeMs(5), 10, &dpc);
    advance(35);
    const auto runs = recorder.get();
    ASSERT_EQ(runs.size(), 4u);
    for (std::size_t i = 0; i < runs.size(); ++i)
        EXPECT_EQ(runs[i].time - start, LONGLONG(5 + 10 * i) * 10000);
    EXPECT_TRUE(KeCancelTimer(&timer));
    advance(30);
    EXPECT_EQ(recorder.get().size(), 4u);
}

TEST_F(TimersAndDpcs, SettingASetTimerMovesIt)
{
    Recorder recorder;
    KDPC dpc;
    KTIMER timer;
    KeInitializeDpc(&dpc, recordingDpc, &recorder);
    KeInitializeTimer(&timer);
    KeSetTimer(&timer, relativeMs(5), &dpc);
    EXPECT_TRUE(KeSetTimer(&timer, relativeMs(20), &dpc));
    advance(19);
    EXPECT_TRUE(recorder.get().empty());
    advance(1);
    EXPECT_EQ(recorder.get().size(), 1u);
}

// A first DPC keeps the timer thread busy (polling, as DPCs may not wait)
// until the test opens the gate, so what it queues behind stays queued.
struct Gate {
    KEVENT open;
    KDPC dpc;
    Gate()
    {
        KeInitializeEvent(&open, NotificationEvent, FALSE);
        KeInitializeDpc(&dpc, [](PKDPC, PVOID context, PVOID, PVOID) {
            auto* self = static_cast<Gate*>(context);
            LARGE_INTEGER zero{.QuadPart = 0};
            while (KeWaitForSingleObject(&self->open, Executive, KernelMode, FALSE, &zero) == STATUS_TIMEOUT) {
            }
        }, this);
        KeInsertQueueDpc(&dpc, nullptr, nullptr);
    }
    void release()
    {
        KeSetEvent(&open, IO_NO_INCREMENT, FALSE);
        KeFlushQueuedDpcs();
    }
};

TEST_F(TimersAndDpcs, ADpcIsQueuedOnceUntilItRuns)
{
    struct Count {
        std::atomic<int> runs{0};
        std::atomic<PVOID> argument{nullptr};
    } count;
    KDPC dpc;
    KeInitializeDpc(&dpc, [](PKDPC, PVOID context, PVOID argument, PVOID) {
        auto* self = static_cast<Count*>(context);
        ++self->runs;
        self->argument = argument;
    }, &count);
    int marker = 0;
    Gate gate;
    EXPECT_TRUE(KeInsertQueueDpc(&dpc, &marker, nullptr));
    EXPECT_FALSE(KeInsertQueueDpc(&dpc, nullptr, nullptr));
    gate.release();
    EXPECT_EQ(count.runs, 1);
    EXPECT_EQ(count.argument, &marker);
    EXPECT_TRUE(KeInsertQueueDpc(&dpc, nullptr, nullptr));
    settle();
    EXPECT_EQ(count.runs, 2);
}

TEST_F(TimersAndDpcs, ARemovedDpcDoesNotRun)
{
    std::atomic<int> victimRuns{0};
    KDPC victim;
    KeInitializeDpc(&victim, [](PKDPC, PVOID context, PVOID, PVOID) { ++*static_cast<std::atomic<int>*>(context); },
                    &victimRuns);
    Gate gate;
    KeInsertQueueDpc(&victim, nullptr, nullptr);
    EXPECT_TRUE(KeRemoveQueueDpc(&victim));
    EXPECT_FALSE(KeRemoveQueueDpc(&victim));
    gate.release();
    EXPECT_EQ(victimRuns, 0);
}

TEST_F(TimersAndDpcs, WorkItemsRunAtPassiveLevelOnTheirQueuesWorkers)
{
    struct Items {
        WORK_QUEUE_ITEM critical;
        WORK_QUEUE_ITEM delayed;
        Recorder criticalRecorder;
        Recorder delayedRecorder;
    } items;
    ExInitializeWorkItem(&items.critical, [](PVOID p) { static_cast<Items*>(p)->criticalRecorder.note(); }, &items);
    ExInitializeWorkItem(&items.delayed, [](PVOID p) { static_cast<Items*>(p)->delayedRecorder.note(); }, &items);
    ExQueueWorkItem(&items.critical, CriticalWorkQueue);
    ExQueueWorkItem(&items.delayed, DelayedWorkQueue);
    settle();
    const auto critical = items.criticalRecorder.get();
    const auto delayed = items.delayedRecorder.get();
    ASSERT_EQ(critical.size(), 1u);
    ASSERT_EQ(delayed.size(), 1u);
    EXPECT_EQ(critical[0].role, sim::ThreadRole::CriticalWorker);
    EXPECT_EQ(delayed[0].role, sim::ThreadRole::DelayedWorker);
    EXPECT_EQ(critical[0].irql, PASSIVE_LEVEL);
    EXPECT_EQ(delayed[0].irql, PASSIVE_LEVEL);
}

TEST_F(TimersAndDpcs, QuietMeansNoWorkItemIsStillRunning)
{
    struct Busy {
        WORK_QUEUE_ITEM item;
        std::atomic<bool> started{false};
        std::atomic<bool> release{false};
    } busy;
    ExInitializeWorkItem(&busy.item, [](PVOID p) {
        auto* self = static_cast<Busy*>(p);
        self->started = true;
        while (!self->release)
            std::this_thread::yield();  // running driver code, not waiting in the kernel
    }, &busy);
    ExQueueWorkItem(&busy.item, DelayedWorkQueue);
    EXPECT_FALSE(sim::waitUntilQuiet(20));  // queued or running: either way not quiet
    while (!busy.started)
        std::this_thread::yield();
    EXPECT_FALSE(sim::waitUntilQuiet(20));
    busy.release = true;
    EXPECT_TRUE(sim::waitUntilQuiet(5000));
}

TEST_F(TimersAndDpcs, AWorkItemMayQueueItselfAgainButNotTwiceAtOnce)
{
    struct Repeating {
        WORK_QUEUE_ITEM item;
        std::atomic<int> runs{0};
    } repeating;
    ExInitializeWorkItem(&repeating.item, [](PVOID p) {
        auto* self = static_cast<Repeating*>(p);
        if (++self->runs < 3)
            ExQueueWorkItem(&self->item, DelayedWorkQueue);
    }, &repeating);
    ExQueueWorkItem(&repeating.item, DelayedWorkQueue);
    settle();
    EXPECT_EQ(repeating.runs, 3);

}

TEST_F(TimersAndDpcs, AWorkItemStillQueuedCannotBeQueuedAgain)
{
    WORK_QUEUE_ITEM item;
    ExInitializeWorkItem(&item, [](PVOID) {}, nullptr);
    item.List.Flink = &item.List;  // as the queue marks it while it waits
    ExQueueWorkItem(&item, DelayedWorkQueue);
    EXPECT_EQ(bugCheckCodes(), std::vector<ULONG>{WORKER_INVALID});
}

TEST_F(TimersAndDpcs, IoWorkItemsCarryTheirDeviceObject)
{
    DEVICE_OBJECT* device = nullptr;
    ASSERT_EQ(IoCreateDevice(nullptr, 0, nullptr, FILE_DEVICE_UNKNOWN, 0, FALSE, &device), STATUS_SUCCESS);
    const auto before = sim::poolUsage(makePoolTag("IoWk"));
    PIO_WORKITEM item = IoAllocateWorkItem(device);
    ASSERT_NE(item, nullptr);
    struct Seen {
        std::atomic<PDEVICE_OBJECT> device{nullptr};
        std::atomic<sim::ThreadRole> role{sim::ThreadRole::Other};
    } seen;
    IoQueueWorkItem(item, [](PDEVICE_OBJECT deviceObject, PVOID context) {
        auto* self = static_cast<Seen*>(context);
        self->device = deviceObject;
        self->role = sim::currentThreadRole();
    }, CriticalWorkQueue, &seen);
    settle();
    EXPECT_EQ(seen.device, device);
    EXPECT_EQ(seen.role, sim::ThreadRole::CriticalWorker);
    IoFreeWorkItem(item);
    EXPECT_EQ(sim::poolUsage(makePoolTag("IoWk")), before);
    IoDeleteDevice(device);
}

TEST_F(TimersAndDpcs, SettlingWaitsForEverythingATimerSetsOff)
{
    // timer -> DPC -> work item -> event: one step of the clock runs the chain.
    struct Chain {
        KTIMER timer;
        KDPC dpc;
        WORK_QUEUE_ITEM item;
        KEVENT done;
    } chain;
    KeInitializeTimer(&chain.timer);
    KeInitializeEvent(&chain.done, NotificationEvent, FALSE);
    ExInitializeWorkItem(&chain.item, [](PVOID p) {
        KeSetEvent(&static_cast<Chain*>(p)->done, IO_NO_INCREMENT, FALSE);
    }, &chain);
    KeInitializeDpc(&chain.dpc, [](PKDPC, PVOID p, PVOID, PVOID) {
        ExQueueWorkItem(&static_cast<Chain*>(p)->item, CriticalWorkQueue);
    }, &chain);
    KeSetTimer(&chain.timer, relativeMs(1), &chain.dpc);
    EXPECT_EQ(KeReadStateEvent(&chain.done), 0);
    advance(1);
    EXPECT_EQ(KeReadStateEvent(&chain.done), 1);
}

TEST_F(TimersAndDpcs, SystemTimeAdvancesWithTheClock)
{
    LARGE_INTEGER before, after;
    KeQuerySystemTime(&before);
    const ULONGLONG interruptBefore = KeQueryInterruptTime();
    advance(25);
    KeQuerySystemTime(&after);
    EXPECT_EQ(after.QuadPart - before.QuadPart, 25 * 10000);
    EXPECT_EQ(KeQueryInterruptTime() - interruptBefore, 25u * 10000);
    // An absolute due time in system time works like a relative one.
    Recorder recorder;
    KDPC dpc;
    KTIMER timer;
    KeInitializeDpc(&dpc, recordingDpc, &recorder);
    KeInitializeTimer(&timer);
    LARGE_INTEGER due{.QuadPart = after.QuadPart + 5 * 10000};
    KeSetTimer(&timer, due, &dpc);
    advance(4);
    EXPECT_TRUE(recorder.get().empty());
    advance(1);
    EXPECT_EQ(recorder.get().size(), 1u);
}

}  // namespace
}  // namespace qm::kernel
