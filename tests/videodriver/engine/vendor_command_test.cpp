// Vendor requests: at once below dispatch level, from a work item above.
#include "videodriver/engine/vendor_command.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "platform/usbd/bus.h"
#include "tests/platform/kernel/sim_fixture.h"
#include "tests/videodriver/engine/scripted_camera.h"

namespace qm::morvax {
namespace {

struct Completion {
    std::atomic<int> calls{0};
    std::atomic<NTSTATUS> status{STATUS_PENDING};
    std::atomic<kernel::sim::ThreadRole> role{kernel::sim::ThreadRole::Other};
};

VOID recordCompletion(PVOID, PVOID commandContext, NTSTATUS status)
{
    auto* completion = static_cast<Completion*>(commandContext);
    completion->status = status;
    completion->role = kernel::sim::currentThreadRole();
    ++completion->calls;
}

class VendorCommand : public qm::test::SimulatedKernelTest {
protected:
    void SetUp() override
    {
        SimulatedKernelTest::SetUp();
        bus_ = std::make_unique<usbd::Bus>();
        const ULONG port = bus_->plug(std::make_shared<test::ScriptedCamera>());
        // An engine device extension as far as vendor requests need it.
        extension_.resize(sizeof(DeviceExtension) + 16);
        auto* device = reinterpret_cast<DeviceExtension*>(extension_.data());
        device->StackDeviceObject = bus_->physicalDeviceObject(port);
        device->DevicePresent = kDeviceStarted;
    }
    void TearDown() override
    {
        bus_.reset();
        EXPECT_EQ(kernel::sim::poolUsage(makePoolTag("Wdm ")).blocks, 0u);
        SimulatedKernelTest::TearDown();
    }

    DeviceExtension* device() { return reinterpret_cast<DeviceExtension*>(extension_.data()); }
    PVOID context() { return cameraContext(device()); }

    std::unique_ptr<usbd::Bus> bus_;
    std::vector<unsigned char> extension_;
};

TEST_F(VendorCommand, BelowDispatchLevelTheRequestRunsAtOnce)
{
    std::vector<UCHAR> bytes(8, 0);
    ULONG length = ULONG(bytes.size());
    Completion completion;
    EXPECT_EQ(USBCAMD_ControlVendorCommand(context(), 0, 0, 0x0410, bytes.data(), &length, kDeviceToHost,
                                           recordCompletion, &completion),
              STATUS_SUCCESS);
    EXPECT_EQ(completion.calls, 1);
    EXPECT_EQ(completion.status, STATUS_SUCCESS);
    EXPECT_EQ(length, 8u);
    EXPECT_EQ(bytes, std::vector<UCHAR>(8, 0x80));
}

TEST_F(VendorCommand, AtDispatchLevelTheRequestIsDeferredToAWorkItem)
{
    std::vector<UCHAR> bytes(4, 0);
    ULONG length = ULONG(bytes.size());
    Completion completion;
    KIRQL old;
    KeRaiseIrql(DISPATCH_LEVEL, &old);
    const NTSTATUS status = USBCAMD_ControlVendorCommand(context(), 0, 0, 0x0410, bytes.data(), &length,
                                                         kDeviceToHost, recordCompletion, &completion);
    KeLowerIrql(old);
    EXPECT_EQ(status, STATUS_PENDING);
    settle();
    EXPECT_EQ(completion.calls, 1);
    EXPECT_EQ(completion.status, STATUS_SUCCESS);
    EXPECT_EQ(completion.role, kernel::sim::ThreadRole::DelayedWorker);
    EXPECT_EQ(bytes, std::vector<UCHAR>(4, 0x80));
}

TEST_F(VendorCommand, ImpossibleRequestsAndAGoneDeviceFail)
{
    ULONG tooLong = 0x10000;
    std::vector<UCHAR> bytes(tooLong);
    EXPECT_EQ(USBCAMD_ControlVendorCommand(context(), 0, 0, 0x0410, bytes.data(), &tooLong, kHostToDevice, nullptr,
                                           nullptr),
              STATUS_INVALID_PARAMETER);
    ULONG length = 4;
    EXPECT_EQ(USBCAMD_ControlVendorCommand(context(), 0, 0, 0x0410, nullptr, &length, kHostToDevice, nullptr,
                                           nullptr),
              STATUS_INVALID_PARAMETER);
    device()->DevicePresent = kDeviceRemoved;
    EXPECT_EQ(USBCAMD_ControlVendorCommand(context(), 0, 0, 0x0410, bytes.data(), &length, kHostToDevice, nullptr,
                                           nullptr),
              STATUS_DEVICE_DATA_ERROR);
    EXPECT_EQ(length, 0u);
}

}  // namespace
}  // namespace qm::morvax
