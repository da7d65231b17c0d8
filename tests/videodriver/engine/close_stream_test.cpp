// Closing the stream while a pipe reset is pending: the reset work item
// uses the channel, so the close must wait for it before the channel goes.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "tests/platform/kernel/sim_fixture.h"
#include "videodriver/engine/channel_control.h"

namespace qm::morvax {
namespace {

class CloseStream : public qm::test::SimulatedKernelTest {
protected:
    void SetUp() override
    {
        SimulatedKernelTest::SetUp();
        // An engine device extension as far as opening and closing a
        // channel needs it, with a pipe reset queued and not yet done.
        extension_.resize(sizeof(DeviceExtension) + 16);
        DeviceExtension* device = this->device();
        KeInitializeSpinLock(&device->PendingRequestLock);
        KeInitializeSemaphore(&device->CallSemaphore, 1, 1);
        KeInitializeEvent(&device->ResetIdleEvent, NotificationEvent, FALSE);
        device->ResetCount = 0;
        device->DevicePresent = kDeviceStarted;
        ASSERT_EQ(USBCAMD_OpenChannel(device, &channel_, 0), STATUS_SUCCESS);
        channel_.StreamState = KSSTATE_RUN;
        streamObject_.HwStreamExtension = &channel_;
        srb_.HwDeviceExtension = device;
        srb_.StreamObject = &streamObject_;
    }

    DeviceExtension* device() { return reinterpret_cast<DeviceExtension*>(extension_.data()); }

    // What the reset work item does when it is done with the channel.
    void finishReset()
    {
        InterlockedDecrement(&device()->ResetCount);
        KeSetEvent(&device()->ResetIdleEvent, IO_NO_INCREMENT, FALSE);
    }

    std::vector<unsigned char> extension_;
    Channel channel_{};
    HW_STREAM_OBJECT streamObject_{};
    HW_STREAM_REQUEST_BLOCK srb_{};
};

TEST_F(CloseStream, WaitsForAPendingPipeReset)
{
    std::atomic<bool> closed = false;
    std::thread closer([&] {
        AdapterCloseStream(&srb_);
        closed = true;
    });
    // A close that did not wait would be done in microseconds.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(closed) << "the channel went while a pipe reset was pending";
    EXPECT_EQ(device()->ChannelExtension, &channel_);

    finishReset();
    closer.join();
    EXPECT_EQ(srb_.Status, STATUS_SUCCESS);
    EXPECT_EQ(device()->ChannelExtension, nullptr);
}

}  // namespace
}  // namespace qm::morvax
