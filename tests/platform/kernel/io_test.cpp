#include "platform/kernel/io.h"

#include <atomic>
#include <vector>

#include "platform/kernel/pool.h"
#include "platform/kernel/spin_lock.h"
#include "platform/kernel/work_items.h"
#include "tests/platform/kernel/sim_fixture.h"

namespace qm::kernel {
namespace {

// A lower driver whose dispatch routine completes the IRP itself or leaves
// it pending for a work item to complete.
struct LowerDriver {
    DRIVER_OBJECT object{};
    PDEVICE_OBJECT device = nullptr;
    NTSTATUS completeWith = STATUS_SUCCESS;
    bool pend = false;
    PIRP pendingIrp = nullptr;
    WORK_QUEUE_ITEM completion{};
    std::atomic<int> calls{0};
};

LowerDriver* lowerOf(PDEVICE_OBJECT device) { return *static_cast<LowerDriver**>(device->DeviceExtension); }

NTSTATUS lowerDispatch(PDEVICE_OBJECT device, PIRP irp)
{
    LowerDriver* driver = lowerOf(device);
    ++driver->calls;
    irp->IoStatus.Status = driver->completeWith;
    irp->IoStatus.Information = 42;
    if (driver->pend) {
        IoMarkIrpPending(irp);
        driver->pendingIrp = irp;
        ExInitializeWorkItem(&driver->completion, [](PVOID p) {
            IoCompleteRequest(static_cast<LowerDriver*>(p)->pendingIrp, IO_NO_PRIORITY_BOOST);
        }, driver);
        ExQueueWorkItem(&driver->completion, DelayedWorkQueue);
        return STATUS_PENDING;
    }
    const NTSTATUS status = driver->completeWith;
    IoCompleteRequest(irp, IO_NO_PRIORITY_BOOST);
    return status;
}

class Irps : public test::SimulatedKernelTest {
protected:
    void SetUp() override
    {
        SimulatedKernelTest::SetUp();
        irpsBefore_ = sim::poolUsage(makePoolTag("Irp "));
        lower_.object.MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = lowerDispatch;
        ASSERT_EQ(IoCreateDevice(&lower_.object, sizeof(LowerDriver*), nullptr, FILE_DEVICE_UNKNOWN, 0, FALSE,
                                 &lower_.device),
                  STATUS_SUCCESS);
        *static_cast<LowerDriver**>(lower_.device->DeviceExtension) = &lower_;
    }
    void TearDown() override
    {
        IoDeleteDevice(lower_.device);
        EXPECT_EQ(sim::poolUsage(makePoolTag("Irp ")), irpsBefore_);
        SimulatedKernelTest::TearDown();
    }

    // An IRP owned by the test with one location for the lower driver.
    PIRP internalRequest()
    {
        PIRP irp = IoAllocateIrp(lower_.device->StackSize, FALSE);
        IoGetNextIrpStackLocation(irp)->MajorFunction = IRP_MJ_INTERNAL_DEVICE_CONTROL;
        return irp;
    }

    LowerDriver lower_;
    sim::PoolUsage irpsBefore_;
};

struct Completion {
    std::atomic<int> calls{0};
    std::atomic<bool> pendingReturned{false};
    std::atomic<NTSTATUS> status{STATUS_PENDING};
    NTSTATUS answer = STATUS_MORE_PROCESSING_REQUIRED;
};

NTSTATUS onComplete(PDEVICE_OBJECT, PIRP irp, PVOID context)
{
    auto* completion = static_cast<Completion*>(context);
    ++completion->calls;
    completion->pendingReturned = irp->PendingReturned != 0;
    completion->status = irp->IoStatus.Status;
    return completion->answer;
}

TEST_F(Irps, MoreProcessingRequiredGivesTheIrpBackForResubmission)
{
    PIRP irp = internalRequest();
    Completion completion;
    IoSetCompletionRoutine(irp, onComplete, &completion, TRUE, TRUE, TRUE);
    EXPECT_EQ(IoCallDriver(lower_.device, irp), STATUS_SUCCESS);
    EXPECT_EQ(completion.calls, 1);
    EXPECT_EQ(completion.status, STATUS_SUCCESS);
    EXPECT_EQ(irp->IoStatus.Information, 42u);
    // The IRP is back with its owner, ready to be sent again.
    EXPECT_EQ(irp->CurrentLocation, irp->StackCount + 1);
    IoReuseIrp(irp, STATUS_SUCCESS);
    IoGetNextIrpStackLocation(irp)->MajorFunction = IRP_MJ_INTERNAL_DEVICE_CONTROL;
    IoSetCompletionRoutine(irp, onComplete, &completion, TRUE, TRUE, TRUE);
    lower_.completeWith = STATUS_UNSUCCESSFUL;
    EXPECT_EQ(IoCallDriver(lower_.device, irp), STATUS_UNSUCCESSFUL);
    EXPECT_EQ(completion.calls, 2);
    EXPECT_EQ(completion.status, STATUS_UNSUCCESSFUL);
    EXPECT_EQ(lower_.calls, 2);
    IoFreeIrp(irp);
    EXPECT_TRUE(bugChecks().empty());
}

TEST_F(Irps, RoutinesRunOnlyForTheOutcomesTheyAskedFor)
{
    PIRP irp = internalRequest();
    Completion completion;
    completion.answer = STATUS_SUCCESS;
    IoSetCompletionRoutine(irp, onComplete, &completion, FALSE, TRUE, FALSE);
    IoCallDriver(lower_.device, irp);
    EXPECT_EQ(completion.calls, 0);
    IoFreeIrp(irp);
}

TEST_F(Irps, APendingRequestCompletesLaterWithPendingReturnedSet)
{
    lower_.pend = true;
    PIRP irp = internalRequest();
    Completion completion;
    IoSetCompletionRoutine(irp, onComplete, &completion, TRUE, TRUE, TRUE);
    EXPECT_EQ(IoCallDriver(lower_.device, irp), STATUS_PENDING);
    settle();
    EXPECT_EQ(completion.calls, 1);
    EXPECT_TRUE(completion.pendingReturned);
    IoFreeIrp(irp);
}

TEST_F(Irps, BuiltRequestsSignalTheirEventAndAreFreed)
{
    lower_.pend = true;
    KEVENT event;
    KeInitializeEvent(&event, NotificationEvent, FALSE);
    IO_STATUS_BLOCK iosb{};
    int buffer = 0;
    PIRP irp = IoBuildDeviceIoControlRequest(CTL_CODE(FILE_DEVICE_UNKNOWN, 1, METHOD_NEITHER, FILE_ANY_ACCESS),
                                             lower_.device, &buffer, sizeof buffer, nullptr, 0, TRUE, &event, &iosb);
    ASSERT_NE(irp, nullptr);
    EXPECT_EQ(IoGetNextIrpStackLocation(irp)->MajorFunction, IRP_MJ_INTERNAL_DEVICE_CONTROL);
    EXPECT_EQ(IoCallDriver(lower_.device, irp), STATUS_PENDING);
    EXPECT_EQ(KeWaitForSingleObject(&event, Executive, KernelMode, FALSE, nullptr), STATUS_SUCCESS);
    EXPECT_EQ(iosb.Status, STATUS_SUCCESS);
    EXPECT_EQ(iosb.Information, 42u);
    // TearDown checks that the IRP went back to the pool.
}

TEST_F(Irps, RunningOutOfStackLocationsOrCompletingTwiceIsABugCheck)
{
    PIRP irp = IoAllocateIrp(1, FALSE);
    Completion completion;
    IoSetCompletionRoutine(irp, onComplete, &completion, TRUE, TRUE, TRUE);
    IoGetNextIrpStackLocation(irp)->MajorFunction = IRP_MJ_INTERNAL_DEVICE_CONTROL;
    IoCallDriver(lower_.device, irp);
    IoCompleteRequest(irp, IO_NO_PRIORITY_BOOST);  // already completed to its owner
    EXPECT_EQ(bugCheckCodes(), std::vector<ULONG>{MULTIPLE_IRP_COMPLETE_REQUESTS});
    IoSetNextIrpStackLocation(irp);  // use up the only location
    IoCallDriver(lower_.device, irp);
    EXPECT_EQ(bugCheckCodes().back(), NO_MORE_IRP_STACK_LOCATIONS);
    IoFreeIrp(irp);
}

TEST_F(Irps, CancellingCallsTheCancelRoutineOnce)
{
    PIRP irp = internalRequest();
    static std::atomic<int> cancels{0};
    cancels = 0;
    IoSetCancelRoutine(irp, [](PDEVICE_OBJECT, PIRP cancelled) {
        ++cancels;
        IoReleaseCancelSpinLock(cancelled->CancelIrql);
    });
    EXPECT_TRUE(IoCancelIrp(irp));
    EXPECT_TRUE(irp->Cancel);
    EXPECT_FALSE(IoCancelIrp(irp));
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(KeGetCurrentIrql(), PASSIVE_LEVEL);
    IoFreeIrp(irp);
}

TEST_F(Irps, AttachingADeviceAddsAStackLocation)
{
    DRIVER_OBJECT upperDriver{};
    PDEVICE_OBJECT upper = nullptr;
    ASSERT_EQ(IoCreateDevice(&upperDriver, 0, nullptr, FILE_DEVICE_UNKNOWN, 0, FALSE, &upper), STATUS_SUCCESS);
    EXPECT_EQ(upperDriver.DeviceObject, upper);
    EXPECT_EQ(IoAttachDeviceToDeviceStack(upper, lower_.device), lower_.device);
    EXPECT_EQ(upper->StackSize, lower_.device->StackSize + 1);
    IoDetachDevice(lower_.device);
    IoDeleteDevice(upper);
    EXPECT_EQ(upperDriver.DeviceObject, nullptr);
}

}  // namespace
}  // namespace qm::kernel
