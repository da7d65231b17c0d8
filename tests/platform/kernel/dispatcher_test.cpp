#include "platform/kernel/dispatcher.h"

#include <atomic>
#include <condition_variable>
#include <thread>
#include <vector>

#include "platform/kernel/work_items.h"
#include "tests/platform/kernel/sim_fixture.h"

namespace qm::kernel {
namespace {

class Dispatcher : public test::SimulatedKernelTest {};

LARGE_INTEGER relativeMs(LONGLONG milliseconds) { return LARGE_INTEGER{.QuadPart = -milliseconds * 10000}; }

NTSTATUS poll(PVOID object)
{
    LARGE_INTEGER zero{.QuadPart = 0};
    return KeWaitForSingleObject(object, Executive, KernelMode, FALSE, &zero);
}

// Counts threads that got past a wait.
struct Finished {
    std::mutex lock;
    std::condition_variable changed;
    int count = 0;
    void add()
    {
        std::lock_guard<std::mutex> guard(lock);
        ++count;
        changed.notify_all();
    }
    void waitFor(int wanted)
    {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait(guard, [&] { return count >= wanted; });
    }
    int value()
    {
        std::lock_guard<std::mutex> guard(lock);
        return count;
    }
};

TEST_F(Dispatcher, NotificationEventReleasesEveryWaiterAndStaysSignalled)
{
    KEVENT event;
    KeInitializeEvent(&event, NotificationEvent, FALSE);
    EXPECT_EQ(poll(&event), STATUS_TIMEOUT);
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] { EXPECT_EQ(KeWaitForSingleObject(&event, Executive, KernelMode, FALSE, nullptr),
                                             STATUS_SUCCESS); });
    EXPECT_EQ(KeSetEvent(&event, IO_NO_INCREMENT, FALSE), 0);
    for (std::thread& waiter : waiters)
        waiter.join();
    EXPECT_EQ(KeReadStateEvent(&event), 1);
    EXPECT_EQ(poll(&event), STATUS_SUCCESS);
    EXPECT_EQ(KeResetEvent(&event), 1);
    EXPECT_EQ(poll(&event), STATUS_TIMEOUT);
}

TEST_F(Dispatcher, SynchronizationEventReleasesOneWaiterPerSignal)
{
    KEVENT event;
    KeInitializeEvent(&event, SynchronizationEvent, FALSE);
    Finished finished;
    std::vector<std::thread> waiters;
    for (int i = 0; i < 2; ++i)
        waiters.emplace_back([&] {
            KeWaitForSingleObject(&event, Executive, KernelMode, FALSE, nullptr);
            finished.add();
        });
    KeSetEvent(&event, IO_NO_INCREMENT, FALSE);
    finished.waitFor(1);
    // The signal was used up by one waiter; the other still waits.
    EXPECT_EQ(KeReadStateEvent(&event), 0);
    EXPECT_EQ(finished.value(), 1);
    KeSetEvent(&event, IO_NO_INCREMENT, FALSE);
    for (std::thread& waiter : waiters)
        waiter.join();
    EXPECT_EQ(finished.value(), 2);
    EXPECT_EQ(KeReadStateEvent(&event), 0);
}

TEST_F(Dispatcher, PulseReleasesWaitersAndLeavesTheEventClear)
{
    KEVENT event;
    KeInitializeEvent(&event, NotificationEvent, FALSE);
    KePulseEvent(&event, IO_NO_INCREMENT, FALSE);
    EXPECT_EQ(KeReadStateEvent(&event), 0);
    EXPECT_EQ(poll(&event), STATUS_TIMEOUT);
}

struct TimedWait {
    WORK_QUEUE_ITEM item;
    KEVENT* event;
    LONGLONG milliseconds;
    std::atomic<NTSTATUS> result{STATUS_PENDING};
};

void timedWaitRoutine(PVOID parameter)
{
    auto* wait = static_cast<TimedWait*>(parameter);
    LARGE_INTEGER timeout = relativeMs(wait->milliseconds);
    wait->result = KeWaitForSingleObject(wait->event, Executive, KernelMode, FALSE, &timeout);
}

TEST_F(Dispatcher, RelativeTimeOutsExpireOnTheManualClockOnly)
{
    KEVENT event;
    KeInitializeEvent(&event, NotificationEvent, FALSE);
    TimedWait wait{{}, &event, 50};
    ExInitializeWorkItem(&wait.item, timedWaitRoutine, &wait);
    ExQueueWorkItem(&wait.item, DelayedWorkQueue);
    advance(49);
    EXPECT_EQ(wait.result, STATUS_PENDING);
    advance(1);
    EXPECT_EQ(wait.result, STATUS_TIMEOUT);
}

TEST_F(Dispatcher, ASignalBeforeTheTimeOutEndsTheWaitWithSuccess)
{
    KEVENT event;
    KeInitializeEvent(&event, SynchronizationEvent, FALSE);
    TimedWait wait{{}, &event, 50};
    ExInitializeWorkItem(&wait.item, timedWaitRoutine, &wait);
    ExQueueWorkItem(&wait.item, DelayedWorkQueue);
    advance(10);
    KeSetEvent(&event, IO_NO_INCREMENT, FALSE);
    settle();
    EXPECT_EQ(wait.result, STATUS_SUCCESS);
    EXPECT_EQ(KeReadStateEvent(&event), 0);
}

TEST_F(Dispatcher, DelaysFollowTheManualClock)
{
    struct Delay {
        WORK_QUEUE_ITEM item;
        std::atomic<bool> done{false};
    } delay;
    ExInitializeWorkItem(&delay.item, [](PVOID parameter) {
        LARGE_INTEGER interval = relativeMs(300);
        KeDelayExecutionThread(KernelMode, FALSE, &interval);
        static_cast<Delay*>(parameter)->done = true;
    }, &delay);
    ExQueueWorkItem(&delay.item, CriticalWorkQueue);
    advance(299);
    EXPECT_FALSE(delay.done);
    advance(1);
    EXPECT_TRUE(delay.done);
}

TEST_F(Dispatcher, SemaphoresCountDownToZeroAndRefuseToPassTheirLimit)
{
    KSEMAPHORE semaphore;
    KeInitializeSemaphore(&semaphore, 0, 2);
    EXPECT_EQ(poll(&semaphore), STATUS_TIMEOUT);
    EXPECT_EQ(KeReleaseSemaphore(&semaphore, SEMAPHORE_INCREMENT, 2, FALSE), 0);
    EXPECT_EQ(KeReadStateSemaphore(&semaphore), 2);

    EXPECT_EQ(KeReleaseSemaphore(&semaphore, SEMAPHORE_INCREMENT, 1, FALSE), 2);
    EXPECT_EQ(bugCheckCodes(), std::vector<ULONG>{SEMAPHORE_LIMIT_EXCEEDED});
    EXPECT_EQ(KeReadStateSemaphore(&semaphore), 2);

    EXPECT_EQ(poll(&semaphore), STATUS_SUCCESS);
    EXPECT_EQ(poll(&semaphore), STATUS_SUCCESS);
    EXPECT_EQ(poll(&semaphore), STATUS_TIMEOUT);
}

TEST_F(Dispatcher, ABinarySemaphoreSerialisesThreads)
{
    KSEMAPHORE semaphore;
    KeInitializeSemaphore(&semaphore, 1, 1);
    int inside = 0;
    int mostInside = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                KeWaitForSingleObject(&semaphore, Executive, KernelMode, FALSE, nullptr);
                mostInside = std::max(mostInside, ++inside);
                --inside;
                KeReleaseSemaphore(&semaphore, SEMAPHORE_INCREMENT, 1, FALSE);
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(mostInside, 1);
    EXPECT_EQ(KeReadStateSemaphore(&semaphore), 1);
    EXPECT_TRUE(bugChecks().empty());
}

TEST_F(Dispatcher, WaitAllTakesNothingUntilEveryObjectIsSignalled)
{
    KEVENT event;
    KSEMAPHORE semaphore;
    KeInitializeEvent(&event, SynchronizationEvent, FALSE);
    KeInitializeSemaphore(&semaphore, 1, 5);
    PVOID objects[] = {&event, &semaphore};
    LARGE_INTEGER zero{.QuadPart = 0};
    EXPECT_EQ(KeWaitForMultipleObjects(2, objects, WaitAll, Executive, KernelMode, FALSE, &zero, nullptr),
              STATUS_TIMEOUT);
    EXPECT_EQ(KeReadStateSemaphore(&semaphore), 1);
    KeSetEvent(&event, IO_NO_INCREMENT, FALSE);
    EXPECT_EQ(KeWaitForMultipleObjects(2, objects, WaitAll, Executive, KernelMode, FALSE, &zero, nullptr),
              STATUS_SUCCESS);
    EXPECT_EQ(KeReadStateSemaphore(&semaphore), 0);
    EXPECT_EQ(KeReadStateEvent(&event), 0);
}

TEST_F(Dispatcher, WaitAnyReportsWhichObjectWasSignalled)
{
    KEVENT first, second;
    KeInitializeEvent(&first, NotificationEvent, FALSE);
    KeInitializeEvent(&second, NotificationEvent, TRUE);
    PVOID objects[] = {&first, &second};
    EXPECT_EQ(KeWaitForMultipleObjects(2, objects, WaitAny, Executive, KernelMode, FALSE, nullptr, nullptr),
              STATUS_WAIT_0 + 1);
}

TEST_F(Dispatcher, MutexesAreRecursiveAndOnlyTheirOwnerReleasesThem)
{
    KMUTEX mutex;
    KeInitializeMutex(&mutex, 0);
    EXPECT_EQ(KeWaitForMutexObject(&mutex, Executive, KernelMode, FALSE, nullptr), STATUS_SUCCESS);
    EXPECT_EQ(KeWaitForMutexObject(&mutex, Executive, KernelMode, FALSE, nullptr), STATUS_SUCCESS);
    std::thread other([&] {
        EXPECT_EQ(poll(&mutex), STATUS_TIMEOUT);
        KeReleaseMutex(&mutex, FALSE);
    });
    other.join();
    EXPECT_EQ(bugCheckCodes(), std::vector<ULONG>{MUTEX_NOT_OWNED});
    KeReleaseMutex(&mutex, FALSE);
    EXPECT_EQ(KeReadStateMutex(&mutex), 0);
    KeReleaseMutex(&mutex, FALSE);
    EXPECT_EQ(KeReadStateMutex(&mutex), 1);
}

TEST_F(Dispatcher, WaitingAboveApcLevelIsABugCheckButPollingIsAllowed)
{
    KEVENT event;
    KeInitializeEvent(&event, NotificationEvent, FALSE);
    KIRQL old;
    KeRaiseIrql(DISPATCH_LEVEL, &old);
    EXPECT_EQ(poll(&event), STATUS_TIMEOUT);
    EXPECT_TRUE(bugChecks().empty());
    KeWaitForSingleObject(&event, Executive, KernelMode, FALSE, nullptr);
    KeLowerIrql(old);
    EXPECT_EQ(bugCheckCodes(), std::vector<ULONG>{IRQL_NOT_LESS_OR_EQUAL});
}

TEST_F(Dispatcher, FastMutexRaisesToApcLevelWhileHeld)
{
    FAST_MUTEX mutex;
    ExInitializeFastMutex(&mutex);
    ExAcquireFastMutex(&mutex);
    EXPECT_EQ(KeGetCurrentIrql(), APC_LEVEL);
    std::thread other([&] { EXPECT_FALSE(ExTryToAcquireFastMutex(&mutex)); });
    other.join();
    ExReleaseFastMutex(&mutex);
    EXPECT_EQ(KeGetCurrentIrql(), PASSIVE_LEVEL);
    EXPECT_TRUE(ExTryToAcquireFastMutex(&mutex));
    ExReleaseFastMutex(&mutex);
}

}  // namespace
}  // namespace qm::kernel
