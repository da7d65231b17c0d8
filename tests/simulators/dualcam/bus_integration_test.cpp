// The camera plugged into the simulated bus and driven through the USB
// driver interface the way the video driver drives it: configuration and
// alternate settings against the bus's bandwidth, vendor register requests,
// and a frame assembled from paired isochronous transfers on the data and
// sync pipes.
#include "platform/usbd/bus.h"
#include "simulators/dualcam/dual_camera.h"
#include "simulators/dualcam/register_map.h"
#include "tests/platform/kernel/sim_fixture.h"
#include "tests/platform/usbd/usb_client.h"
#include "tests/simulators/dualcam/camera_host.h"

#include <atomic>

namespace qm::dualcam {
namespace {

using namespace qm::usbd;
using qm::test::IsoTransfer;
using qm::test::Selection;

constexpr ULONG kPackets = 32;
constexpr ULONG kDataPipe = 1;
constexpr ULONG kSyncPipe = 2;

class DualCamOnTheBus : public qm::test::SimulatedKernelTest {
protected:
    void SetUp() override
    {
        SimulatedKernelTest::SetUp();
        DualCamConfig config;
        config.scene.moving = false;
        config.pictures = testPictures(2);
        camera_ = std::make_shared<DualCamera>(config);
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

    NTSTATUS vendor(bool in, USHORT index, std::vector<UCHAR>& bytes)
    {
        URB urb{};
        UsbBuildVendorRequest(&urb, URB_FUNCTION_VENDOR_DEVICE, sizeof(_URB_CONTROL_VENDOR_OR_CLASS_REQUEST),
                              in ? USBD_TRANSFER_DIRECTION_IN : USBD_TRANSFER_DIRECTION_OUT, 0, 0, 0, index,
                              bytes.data(), nullptr, ULONG(bytes.size()), nullptr);
        return qm::test::callUsbd(pdo_, &urb);
    }
    NTSTATUS write(USHORT index, std::vector<UCHAR> bytes) { return vendor(false, index, bytes); }
    std::vector<UCHAR> read(USHORT index, std::size_t count)
    {
        std::vector<UCHAR> bytes(count);
        return NT_SUCCESS(vendor(true, index, bytes)) ? bytes : std::vector<UCHAR>{};
    }

    std::shared_ptr<DualCamera> camera_;
    std::unique_ptr<Bus> bus_;
    ULONG port_ = 0;
    PDEVICE_OBJECT pdo_ = nullptr;
};

struct Done {
    std::atomic<int> count{0};
};

NTSTATUS countCompletion(PDEVICE_OBJECT, PIRP, PVOID context)
{
    ++static_cast<Done*>(context)->count;
    return STATUS_MORE_PROCESSING_REQUIRED;
}

TEST_F(DualCamOnTheBus, PipesAndBandwidthAsTheDriverFindsThem)
{
    Selection selection = qm::test::selectConfiguration(pdo_);
    ASSERT_EQ(selection.status, STATUS_SUCCESS);
    ASSERT_EQ(selection.interface().NumberOfPipes, 3u);
    EXPECT_EQ(selection.interface().Pipes[kDataPipe].EndpointAddress, kDataEndpoint);
    EXPECT_EQ(selection.interface().Pipes[kSyncPipe].EndpointAddress, kSyncEndpoint);

    // Another device holds part of the bus: the first settings do not fit,
    // a later, narrower one does.
    bus_->setBandwidthLimit(800);
    EXPECT_NE(qm::test::selectAlternate(pdo_, selection, 1, 3), STATUS_SUCCESS);
    EXPECT_NE(qm::test::selectAlternate(pdo_, selection, 2, 3), STATUS_SUCCESS);
    ASSERT_EQ(qm::test::selectAlternate(pdo_, selection, 3, 3), STATUS_SUCCESS);
    EXPECT_EQ(selection.interface().Pipes[kDataPipe].MaximumPacketSize, kDataPacketSize[3]);
    EXPECT_EQ(selection.interface().Pipes[kSyncPipe].MaximumPacketSize, 1);
    EXPECT_EQ(camera_->alternateSetting(), 3);
}

TEST_F(DualCamOnTheBus, VendorRequestsReachTheRegisters)
{
    ASSERT_EQ(write(reg::kYGain, {0x1C}), STATUS_SUCCESS);
    EXPECT_EQ(camera_->registerValue(reg::kYGain), 0x1C);
    EXPECT_EQ(read(reg::kYGain, 1), std::vector<UCHAR>{0x1C});
    // The flash identification command through the command registers.
    ASSERT_EQ(write(reg::kCommandCode, {0x0E}), STATUS_SUCCESS);
    ASSERT_EQ(write(reg::kMaster, {reg::kMasterExecute}), STATUS_SUCCESS);
    EXPECT_EQ(read(reg::kFlashDeviceId, 1), std::vector<UCHAR>{0x75});
    // More than 64 bytes in one request stalls.
    std::vector<UCHAR> tooLong(65);
    EXPECT_FALSE(NT_SUCCESS(vendor(false, 0x0900, tooLong)));
}

TEST_F(DualCamOnTheBus, AVideoFrameArrivesOverPairedTransfers)
{
    Selection selection = qm::test::selectConfiguration(pdo_);
    ASSERT_EQ(qm::test::selectAlternate(pdo_, selection, 1, 3), STATUS_SUCCESS);
    ASSERT_EQ(write(reg::kFrameControl, {0xA0 | (7 << 2)}), STATUS_SUCCESS);
    ASSERT_EQ(write(reg::kCompression, {64}), STATUS_SUCCESS);
    ASSERT_EQ(write(reg::kMaster, {0xBE}), STATUS_SUCCESS);
    ASSERT_EQ(qm::test::pipeRequest(pdo_, URB_FUNCTION_RESET_PIPE, selection.pipe(kDataPipe)), STATUS_SUCCESS);

    const ULONG dataSize = selection.interface().Pipes[kDataPipe].MaximumPacketSize;
    IsoTransfer data(pdo_, selection.pipe(kDataPipe), kPackets, dataSize);
    IsoTransfer sync(pdo_, selection.pipe(kSyncPipe), kPackets, 1);
    test::FrameAssembler assembler;
    std::optional<test::ReceivedFrame> frame;
    ULONG start = qm::test::currentFrameOf(pdo_) + 10;
    for (int round = 0; round < 10 && !frame; ++round, start += kPackets) {
        Done done;
        ASSERT_EQ(sync.submit(countCompletion, &done, false, start), STATUS_PENDING);
        ASSERT_EQ(data.submit(countCompletion, &done, false, start), STATUS_PENDING);
        Bus::step(start + kPackets - qm::test::currentFrameOf(pdo_));
        ASSERT_EQ(done.count, 2);
        for (ULONG i = 0; i < kPackets && !frame; ++i) {
            const auto& dataPacket = data.urb().IsoPacket[i];
            const auto& syncPacket = sync.urb().IsoPacket[i];
            test::IsoFrame packet;
            const auto* bytes = data.buffer().data() + dataPacket.Offset;
            packet.data.assign(bytes, bytes + dataPacket.Length);
            packet.dataStatus = dataPacket.Status;
            packet.sync = syncPacket.Length == 1 ? sync.buffer()[syncPacket.Offset] : 0;
            packet.syncStatus = syncPacket.Status;
            frame = assembler.add(packet);
        }
    }
    ASSERT_TRUE(frame);
    ASSERT_TRUE(frame->valid()) << frame->announced << " vs " << frame->received;
    const auto image = test::decodeVideoFrame(*frame, 160, 120);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 160);
}

TEST_F(DualCamOnTheBus, UnpluggingRestartsTheCameraWithItsPictures)
{
    ASSERT_EQ(write(reg::kYGain, {0x1C}), STATUS_SUCCESS);
    bus_->unplug(port_);
    EXPECT_FALSE(NT_SUCCESS(write(reg::kYGain, {0x10})));
    EXPECT_EQ(camera_->registerValue(reg::kYGain), 8);
    EXPECT_EQ(camera_->pictureCount(), 2u);
}

}  // namespace
}  // namespace qm::dualcam
