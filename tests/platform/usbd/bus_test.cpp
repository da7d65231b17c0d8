#include "platform/usbd/bus.h"

#include <atomic>
#include <mutex>

#include "tests/platform/kernel/sim_fixture.h"
#include "tests/platform/usbd/test_camera.h"
#include "tests/platform/usbd/usb_client.h"

namespace qm::usbd {
namespace {

using test::IsoTransfer;
using test::Selection;

class SimulatedBus : public test::SimulatedKernelTest {
protected:
    void SetUp() override
    {
        SimulatedKernelTest::SetUp();
        bus_ = std::make_unique<Bus>();
        port_ = bus_->plug(camera_);
        pdo_ = bus_->physicalDeviceObject(port_);
        ASSERT_NE(pdo_, nullptr);
    }
    void TearDown() override
    {
        bus_.reset();
        SimulatedKernelTest::TearDown();
    }

    Selection configureAt(UCHAR alternate)
    {
        Selection selection = test::selectConfiguration(pdo_);
        EXPECT_EQ(selection.status, STATUS_SUCCESS);
        if (alternate != 0) {
            EXPECT_EQ(test::selectAlternate(pdo_, selection, alternate), STATUS_SUCCESS);
        }
        return selection;
    }

    std::shared_ptr<test::TestCamera> camera_ = std::make_shared<test::TestCamera>();
    std::unique_ptr<Bus> bus_;
    ULONG port_ = 0;
    PDEVICE_OBJECT pdo_ = nullptr;
};

// Records what a completion routine saw and keeps the IRP.
struct Completed {
    std::atomic<int> count{0};
    std::atomic<NTSTATUS> status{STATUS_PENDING};
    std::atomic<sim::ThreadRole> role{sim::ThreadRole::Other};
    std::atomic<KIRQL> irql{PASSIVE_LEVEL};
};

NTSTATUS recordCompletion(PDEVICE_OBJECT, PIRP irp, PVOID context)
{
    auto* completed = static_cast<Completed*>(context);
    completed->status = irp->IoStatus.Status;
    completed->role = sim::currentThreadRole();
    completed->irql = KeGetCurrentIrql();
    ++completed->count;
    return STATUS_MORE_PROCESSING_REQUIRED;
}

TEST_F(SimulatedBus, DescriptorsComeFromTheModel)
{
    const auto device = test::readDescriptor(pdo_, USB_DEVICE_DESCRIPTOR_TYPE, 18);
    ASSERT_EQ(device.size(), 18u);
    const auto* descriptor = reinterpret_cast<const USB_DEVICE_DESCRIPTOR*>(device.data());
    EXPECT_EQ(descriptor->idVendor, test::TestCamera::kVendor);
    EXPECT_EQ(descriptor->idProduct, test::TestCamera::kProduct);

    // A short read tells the driver how long the whole configuration is.
    const auto head = test::readDescriptor(pdo_, USB_CONFIGURATION_DESCRIPTOR_TYPE, 9);
    ASSERT_EQ(head.size(), 9u);
    const ULONG total = reinterpret_cast<const USB_CONFIGURATION_DESCRIPTOR*>(head.data())->wTotalLength;
    EXPECT_EQ(total, camera_->configurationDescriptor().size());
    EXPECT_EQ(test::readDescriptor(pdo_, USB_CONFIGURATION_DESCRIPTOR_TYPE, 1024).size(), total);

    NTSTATUS status;
    EXPECT_TRUE(test::readDescriptor(pdo_, USB_STRING_DESCRIPTOR_TYPE, 64, &status).empty());
    EXPECT_EQ(status, STATUS_UNSUCCESSFUL);
}

TEST_F(SimulatedBus, SelectingAConfigurationOpensItsPipes)
{
    Selection selection = test::selectConfiguration(pdo_);
    ASSERT_EQ(selection.status, STATUS_SUCCESS);
    EXPECT_NE(selection.configuration, nullptr);
    const USBD_INTERFACE_INFORMATION& interface = selection.interface();
    EXPECT_EQ(interface.AlternateSetting, 0);
    ASSERT_EQ(interface.NumberOfPipes, 2u);
    EXPECT_EQ(interface.Pipes[0].EndpointAddress, 0x81);
    EXPECT_EQ(interface.Pipes[0].PipeType, UsbdPipeTypeIsochronous);
    EXPECT_EQ(interface.Pipes[0].MaximumPacketSize, 0);
    EXPECT_NE(interface.Pipes[0].PipeHandle, nullptr);
    EXPECT_NE(interface.Pipes[0].PipeHandle, interface.Pipes[1].PipeHandle);
    EXPECT_EQ(bus_->bandwidthInUse(), 0u);
    EXPECT_EQ(camera_->alternateSetting(), 0);
}

TEST_F(SimulatedBus, BandwidthIsGrantedPerAlternateSetting)
{
    Selection selection = configureAt(1);
    EXPECT_EQ(selection.interface().Pipes[0].MaximumPacketSize, 1000);
    EXPECT_EQ(bus_->bandwidthInUse(), 1001u);
    const USBD_PIPE_HANDLE dataPipe = selection.pipe(0);

    // Another device now holds most of the bus: setting 1 no longer fits.
    bus_->setBandwidthLimit(1001);
    ASSERT_EQ(test::selectAlternate(pdo_, selection, 0), STATUS_SUCCESS);
    bus_->setBandwidthLimit(600);
    USBD_STATUS usbdStatus = USBD_STATUS_SUCCESS;
    EXPECT_EQ(test::selectAlternate(pdo_, selection, 1, 2, &usbdStatus), STATUS_INSUFFICIENT_RESOURCES);
    EXPECT_EQ(usbdStatus, USBD_STATUS_NO_BANDWIDTH);
    EXPECT_EQ(camera_->alternateSetting(), 0);
    EXPECT_EQ(bus_->bandwidthInUse(), 0u);
    // The smaller setting fits.
    EXPECT_EQ(test::selectAlternate(pdo_, selection, 2), STATUS_SUCCESS);
    EXPECT_EQ(bus_->bandwidthInUse(), 501u);
    EXPECT_EQ(camera_->alternateSetting(), 2);
    // Pipes of an earlier selection are gone.
    EXPECT_EQ(test::pipeRequest(pdo_, URB_FUNCTION_RESET_PIPE, dataPipe), STATUS_INVALID_PARAMETER);
}

TEST_F(SimulatedBus, AnInterfaceRecordTooSmallForItsPipesIsRefused)
{
    Selection selection = configureAt(0);
    EXPECT_EQ(test::selectAlternate(pdo_, selection, 1, 1), STATUS_INVALID_PARAMETER);
    EXPECT_EQ(test::selectAlternate(pdo_, selection, 7), STATUS_INVALID_PARAMETER);
}

TEST_F(SimulatedBus, VendorRequestsReachTheModel)
{
    URB urb{};
    UCHAR out[3] = {0x84, 0x85, 0x86};
    UsbBuildVendorRequest(&urb, URB_FUNCTION_VENDOR_DEVICE, sizeof(_URB_CONTROL_VENDOR_OR_CLASS_REQUEST),
                          USBD_TRANSFER_DIRECTION_OUT, 0, test::TestCamera::kRegisterRequest, 0, 0x10, out, nullptr,
                          sizeof out, nullptr);
    ASSERT_EQ(test::callUsbd(pdo_, &urb), STATUS_SUCCESS);
    EXPECT_EQ(urb.UrbControlVendorClassRequest.TransferBufferLength, 3u);
    EXPECT_EQ(camera_->lastSetup().bmRequestType, BMREQUEST_VENDOR | BMREQUEST_TO_DEVICE);
    EXPECT_EQ(camera_->reg(0x11), 0x85);

    UCHAR in[2] = {};
    UsbBuildVendorRequest(&urb, URB_FUNCTION_VENDOR_DEVICE, sizeof(_URB_CONTROL_VENDOR_OR_CLASS_REQUEST),
                          USBD_TRANSFER_DIRECTION_IN, 0, test::TestCamera::kRegisterRequest, 0, 0x11, in, nullptr,
                          sizeof in, nullptr);
    ASSERT_EQ(test::callUsbd(pdo_, &urb), STATUS_SUCCESS);
    EXPECT_EQ(in[0], 0x85);
    EXPECT_EQ(in[1], 0x86);
    const SetupPacket setup = camera_->lastSetup();
    EXPECT_EQ(setup.bmRequestType, BMREQUEST_DEVICE_TO_HOST | BMREQUEST_VENDOR);
    EXPECT_EQ(setup.wIndex, 0x11);
    EXPECT_EQ(setup.wLength, 2);

    UsbBuildVendorRequest(&urb, URB_FUNCTION_VENDOR_DEVICE, sizeof(_URB_CONTROL_VENDOR_OR_CLASS_REQUEST),
                          USBD_TRANSFER_DIRECTION_IN, 0, test::TestCamera::kStallRequest, 0, 0, in, nullptr,
                          sizeof in, nullptr);
    EXPECT_EQ(test::callUsbd(pdo_, &urb), STATUS_UNSUCCESSFUL);
    EXPECT_EQ(urb.UrbHeader.Status, USBD_STATUS_STALL_PID);
}

TEST_F(SimulatedBus, AnIsochronousTransferCompletesAfterItsLastFrameOnTheBusThread)
{
    Selection selection = configureAt(1);
    camera_->setDataLength(100);
    IsoTransfer transfer(pdo_, selection.pipe(0), 32, 1000);
    Completed completed;
    const ULONG now = Bus::currentFrame();
    ASSERT_EQ(transfer.submit(recordCompletion, &completed, true), STATUS_PENDING);
    EXPECT_EQ(transfer.urb().StartFrame, now + 1);
    camera_->failFrame(now + 1 + 5);
    Bus::step(31);
    EXPECT_EQ(completed.count, 0);
    Bus::step(1);
    ASSERT_EQ(completed.count, 1);
    EXPECT_EQ(completed.status, STATUS_SUCCESS);
    EXPECT_EQ(completed.role, sim::ThreadRole::Bus);
    EXPECT_EQ(completed.irql, DISPATCH_LEVEL);
    const _URB_ISOCH_TRANSFER& urb = transfer.urb();
    EXPECT_EQ(urb.Hdr.Status, USBD_STATUS_SUCCESS);
    EXPECT_EQ(urb.ErrorCount, 1u);
    for (ULONG i = 0; i < 32; ++i) {
        EXPECT_EQ(urb.IsoPacket[i].Length, 100u);
        EXPECT_EQ(transfer.frameOfPacket(i), now + 1 + i);
        EXPECT_EQ(urb.IsoPacket[i].Status, i == 5 ? USBD_STATUS_CRC : USBD_STATUS_SUCCESS);
    }
}

// Resubmits its transfer from the completion routine, as streaming drivers do.
struct Streamer {
    explicit Streamer(IsoTransfer* owned) : transfer(owned) {}
    IsoTransfer* transfer;
    int rounds = 0;
    std::vector<ULONG> frames;
    std::vector<ULONG> startFrames;
};

NTSTATUS resubmit(PDEVICE_OBJECT, PIRP, PVOID context)
{
    auto* streamer = static_cast<Streamer*>(context);
    streamer->startFrames.push_back(streamer->transfer->urb().StartFrame);
    for (ULONG i = 0; i < 32; ++i)
        streamer->frames.push_back(streamer->transfer->frameOfPacket(i));
    if (++streamer->rounds < 3)
        streamer->transfer->submit(resubmit, streamer, true);
    return STATUS_MORE_PROCESSING_REQUIRED;
}

TEST_F(SimulatedBus, TwoTransfersResubmittedAsapCoverEveryFrame)
{
    Selection selection = configureAt(1);
    IsoTransfer first(pdo_, selection.pipe(0), 32, 1000);
    IsoTransfer second(pdo_, selection.pipe(0), 32, 1000);
    Streamer a{&first}, b{&second};
    const ULONG start = Bus::currentFrame() + 10;
    ASSERT_EQ(first.submit(resubmit, &a, false, start), STATUS_PENDING);
    ASSERT_EQ(second.submit(resubmit, &b, false, start + 32), STATUS_PENDING);
    Bus::step(10 + 6 * 32);
    ASSERT_EQ(a.rounds, 3);
    ASSERT_EQ(b.rounds, 3);
    EXPECT_EQ(a.startFrames, (std::vector<ULONG>{start, start + 64, start + 128}));
    EXPECT_EQ(b.startFrames, (std::vector<ULONG>{start + 32, start + 96, start + 160}));
    std::vector<ULONG> all = a.frames;
    all.insert(all.end(), b.frames.begin(), b.frames.end());
    std::sort(all.begin(), all.end());
    for (std::size_t i = 0; i < all.size(); ++i)
        EXPECT_EQ(all[i], start + i);
}

TEST_F(SimulatedBus, StartFramesInThePastOrOverlappingAreRefused)
{
    Selection selection = configureAt(1);
    IsoTransfer transfer(pdo_, selection.pipe(0), 8, 1000);
    Completed completed;
    EXPECT_EQ(transfer.submit(recordCompletion, &completed, false, Bus::currentFrame()), STATUS_UNSUCCESSFUL);
    EXPECT_EQ(transfer.urb().Hdr.Status, USBD_STATUS_BAD_START_FRAME);
    const ULONG start = Bus::currentFrame() + 5;
    ASSERT_EQ(transfer.submit(recordCompletion, &completed, false, start), STATUS_PENDING);
    IsoTransfer overlapping(pdo_, selection.pipe(0), 8, 1000);
    EXPECT_EQ(overlapping.submit(recordCompletion, &completed, false, start + 7), STATUS_UNSUCCESSFUL);
    Bus::step(12);
    EXPECT_EQ(completed.count, 3);
}

TEST_F(SimulatedBus, AbortingAPipeCancelsItsTransfersWithoutTimePassing)
{
    Selection selection = configureAt(1);
    IsoTransfer first(pdo_, selection.pipe(0), 32, 1000);
    IsoTransfer second(pdo_, selection.pipe(0), 32, 1000);
    Completed completedFirst, completedSecond;
    first.submit(recordCompletion, &completedFirst, true);
    second.submit(recordCompletion, &completedSecond, true);
    EXPECT_EQ(test::pipeRequest(pdo_, URB_FUNCTION_RESET_PIPE, selection.pipe(0)), STATUS_DEVICE_BUSY);
    const ULONG frame = Bus::currentFrame();
    EXPECT_EQ(test::pipeRequest(pdo_, URB_FUNCTION_ABORT_PIPE, selection.pipe(0)), STATUS_SUCCESS);
    EXPECT_EQ(Bus::currentFrame(), frame);
    EXPECT_EQ(completedFirst.count, 1);
    EXPECT_EQ(completedSecond.count, 1);
    EXPECT_EQ(completedFirst.status, STATUS_CANCELLED);
    EXPECT_EQ(first.urb().Hdr.Status, USBD_STATUS_CANCELED);
    EXPECT_EQ(camera_->aborts(), std::vector<UCHAR>{0x81});
    EXPECT_EQ(test::pipeRequest(pdo_, URB_FUNCTION_RESET_PIPE, selection.pipe(0)), STATUS_SUCCESS);
    EXPECT_EQ(camera_->resets(), std::vector<UCHAR>{0x81});
}

TEST_F(SimulatedBus, TheFrameNumberFollowsTheSteppedClock)
{
    const ULONG before = test::currentFrameOf(pdo_);
    Bus::step(7);
    EXPECT_EQ(test::currentFrameOf(pdo_), before + 7);
    EXPECT_EQ(Bus::currentFrame(), before + 7);
}

TEST_F(SimulatedBus, EveryFrameStartsButOnlyPacketsAskedForArePolledDataFirst)
{
    Selection selection = configureAt(1);
    const int startsBefore = camera_->startsOfFrame();
    const std::size_t polledBefore = camera_->endpointOrder().size();
    Bus::step(5);
    EXPECT_EQ(camera_->startsOfFrame() - startsBefore, 5);
    // No transfer, no IN token: the device sends nothing.
    EXPECT_EQ(camera_->endpointOrder().size(), polledBefore);

    IsoTransfer data(pdo_, selection.pipe(0), 5, 1000);
    IsoTransfer sync(pdo_, selection.pipe(1), 5, 1);
    Completed dataDone, syncDone;
    ASSERT_EQ(data.submit(recordCompletion, &dataDone, true), STATUS_PENDING);
    ASSERT_EQ(sync.submit(recordCompletion, &syncDone, true), STATUS_PENDING);
    Bus::step(6);
    EXPECT_EQ(dataDone.count, 1);
    EXPECT_EQ(syncDone.count, 1);
    const auto order = camera_->endpointOrder();
    ASSERT_EQ(order.size(), polledBefore + 10);
    for (std::size_t i = polledBefore; i < order.size(); i += 2) {
        EXPECT_EQ(order[i], 0x81);  // data first, then its sync byte
        EXPECT_EQ(order[i + 1], 0x82);
    }
}

TEST_F(SimulatedBus, ADisabledPortCanBeEnabledAgain)
{
    Selection selection = configureAt(1);
    ULONG status = 0;
    ASSERT_EQ(test::portIoctl(pdo_, IOCTL_INTERNAL_USB_GET_PORT_STATUS, &status), STATUS_SUCCESS);
    EXPECT_EQ(status, USBD_PORT_CONNECTED | USBD_PORT_ENABLED);
    bus_->setPortEnabled(port_, false);
    test::portIoctl(pdo_, IOCTL_INTERNAL_USB_GET_PORT_STATUS, &status);
    EXPECT_EQ(status, USBD_PORT_CONNECTED);
    IsoTransfer transfer(pdo_, selection.pipe(0), 4, 1000);
    Completed completed;
    EXPECT_EQ(transfer.submit(recordCompletion, &completed, true), STATUS_UNSUCCESSFUL);
    EXPECT_EQ(transfer.urb().Hdr.Status, USBD_STATUS_DEV_NOT_RESPONDING);
    EXPECT_EQ(test::portIoctl(pdo_, IOCTL_INTERNAL_USB_ENABLE_PORT, nullptr), STATUS_SUCCESS);
    test::portIoctl(pdo_, IOCTL_INTERNAL_USB_GET_PORT_STATUS, &status);
    EXPECT_EQ(status, USBD_PORT_CONNECTED | USBD_PORT_ENABLED);
    EXPECT_EQ(transfer.submit(recordCompletion, &completed, true), STATUS_PENDING);
    Bus::step(4);
    EXPECT_EQ(completed.status, STATUS_SUCCESS);
}

TEST_F(SimulatedBus, UnpluggingEndsTransfersAndLaterRequestsFail)
{
    Selection selection = configureAt(1);
    IsoTransfer transfer(pdo_, selection.pipe(0), 32, 1000);
    Completed completed;
    transfer.submit(recordCompletion, &completed, true);
    bus_->unplug(port_);
    settle();
    EXPECT_EQ(completed.count, 1);
    EXPECT_EQ(completed.status, STATUS_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(completed.role, sim::ThreadRole::Bus);
    EXPECT_TRUE(camera_->wasUnplugged());
    ULONG status = 0xFF;
    test::portIoctl(pdo_, IOCTL_INTERNAL_USB_GET_PORT_STATUS, &status);
    EXPECT_EQ(status, 0u);
    NTSTATUS result;
    test::readDescriptor(pdo_, USB_DEVICE_DESCRIPTOR_TYPE, 18, &result);
    EXPECT_EQ(result, STATUS_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(bus_->bandwidthInUse(), 0u);
}

TEST_F(SimulatedBus, MalformedRequestsAreRefusedNotFollowed)
{
    Selection selection = configureAt(1);
    IsoTransfer transfer(pdo_, selection.pipe(0), 4, 1000);
    Completed completed;
    transfer.submit(recordCompletion, &completed, true);
    test::pipeRequest(pdo_, URB_FUNCTION_ABORT_PIPE, selection.pipe(0));
    // Packet offsets that run past the buffer.
    _URB_ISOCH_TRANSFER& urb = transfer.urb();
    IoReuseIrp(transfer.irp(), STATUS_SUCCESS);
    urb.IsoPacket[3].Offset = urb.TransferBufferLength + 1;
    urb.Hdr.Status = 0;
    EXPECT_EQ(test::callUsbd(pdo_, reinterpret_cast<PURB>(&urb)), STATUS_INVALID_PARAMETER);
    // Unknown pipe handles and functions.
    int notAPipe = 0;
    EXPECT_EQ(test::pipeRequest(pdo_, URB_FUNCTION_ABORT_PIPE, &notAPipe), STATUS_INVALID_PARAMETER);
    URB unknown{};
    unknown.UrbHeader.Length = sizeof(_URB_HEADER);
    unknown.UrbHeader.Function = 0x7777;
    EXPECT_EQ(test::callUsbd(pdo_, &unknown), STATUS_INVALID_PARAMETER);
    EXPECT_EQ(unknown.UrbHeader.Status, USBD_STATUS_INVALID_URB_FUNCTION);
}

}  // namespace
}  // namespace qm::usbd
