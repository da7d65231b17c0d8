// Each fault the camera can show, as the host sees it, and the recovery
// the host's own actions bring.
#include "platform/system/byte_order.h"
#include "simulators/dualcam/dual_camera.h"
#include "simulators/dualcam/register_map.h"
#include "tests/simulators/dualcam/camera_host.h"

#include <gtest/gtest.h>

namespace qm::dualcam {
namespace {

using test::CameraHost;

class DualCamFaults : public ::testing::Test {
protected:
    DualCamFaults() : camera(config()), host(camera) { host.startVideo(7, 0, 64, 6); }

    static DualCamConfig config()
    {
        DualCamConfig c;
        c.scene.moving = false;
        c.pictures.resize(25);
        return c;
    }

    // Skips to the start of the next frame.
    void alignToFrame()
    {
        ASSERT_TRUE(host.nextFrame());
    }

    DualCamera camera;
    CameraHost host;
};

TEST_F(DualCamFaults, PacketErrorsMarkTheFrameBad)
{
    alignToFrame();
    camera.injectFault(Fault::PacketError, 1);
    const auto bad = host.nextFrame();
    ASSERT_TRUE(bad);
    EXPECT_TRUE(bad->badPackets);
    EXPECT_EQ(bad->announced, bad->received) << "the bytes still arrive";
    const auto good = host.nextFrame();
    ASSERT_TRUE(good && good->valid());
}

TEST_F(DualCamFaults, DroppedAndShortPacketsBreakTheTrailerCount)
{
    for (Fault fault : {Fault::DroppedPacket, Fault::ShortPacket}) {
        alignToFrame();
        camera.injectFault(fault, 1);
        const auto frame = host.nextFrame();
        ASSERT_TRUE(frame);
        EXPECT_FALSE(frame->badPackets);
        EXPECT_LT(frame->received, frame->announced);
        EXPECT_FALSE(frame->valid());
        const auto next = host.nextFrame();
        ASSERT_TRUE(next && next->valid());
    }
}

TEST_F(DualCamFaults, MissingTrailerAndWrongCount)
{
    alignToFrame();
    camera.injectFault(Fault::WrongCount, 1);
    auto frame = host.nextFrame();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->announced, frame->received + 4);

    camera.injectFault(Fault::MissingTrailer, 1);
    frame = host.nextFrame();
    ASSERT_TRUE(frame);
    EXPECT_NE(frame->announced, frame->received);
    EXPECT_FALSE(frame->valid());
    frame = host.nextFrame();
    ASSERT_TRUE(frame && frame->valid());
}

TEST_F(DualCamFaults, StalledPipesFailEveryPacketUntilReset)
{
    camera.injectFault(Fault::StalledDataPipe);
    for (int i = 0; i < 100; ++i) {
        const auto packet = host.step();
        EXPECT_EQ(packet.dataStatus, usbd::USBD_STATUS_STALL_PID);
        EXPECT_TRUE(packet.data.empty());
    }
    camera.pipeReset(kDataEndpoint);
    // The frame that was being sent comes again whole.
    const auto frame = host.nextFrame();
    ASSERT_TRUE(frame && frame->valid());

    camera.injectFault(Fault::StalledSyncPipe);
    EXPECT_EQ(host.step().syncStatus, usbd::USBD_STATUS_STALL_PID);
    camera.pipeReset(kSyncEndpoint);
    EXPECT_EQ(host.step().syncStatus, usbd::USBD_STATUS_SUCCESS);
}

TEST_F(DualCamFaults, ACommandThatNeverBecomesReady)
{
    camera.injectFault(Fault::CommandNeverReady, 1);
    EXPECT_FALSE(host.command(0x08));
    EXPECT_FALSE(host.waitReady()) << "the interface stays hung";
    host.writeByte(reg::kMaster, 0xB9);  // enabling the controller again
    EXPECT_TRUE(host.command(0x08));
}

TEST_F(DualCamFaults, BlankTableWindowReadsZerosOnce)
{
    camera.injectFault(Fault::BlankTableWindow, 1);
    ASSERT_TRUE(host.command(0, 0x06));
    EXPECT_EQ(host.read(reg::kPictureTableWindow, 40), std::vector<std::uint8_t>(40, 0));
    ASSERT_TRUE(host.command(0, 0x06));
    const auto window = host.read(reg::kPictureTableWindow, 40);
    EXPECT_EQ(window[0], 1);
    EXPECT_EQ(window[38], 20);
}

TEST_F(DualCamFaults, PulledCableThenUnplugAndReplug)
{
    camera.injectFault(Fault::Unplug, 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_NE(host.step().dataStatus, usbd::USBD_STATUS_DEV_NOT_RESPONDING);
    EXPECT_EQ(host.step().dataStatus, usbd::USBD_STATUS_DEV_NOT_RESPONDING);
    EXPECT_TRUE(camera.dead());
    EXPECT_TRUE(host.read(reg::kMaster, 1).empty());
    EXPECT_FALSE(host.writeByte(reg::kMaster, 0xB8));

    // The bus reports the removal; plugged in again the camera starts afresh
    // with its pictures still in flash.
    camera.unplugged();
    EXPECT_FALSE(camera.dead());
    EXPECT_EQ(camera.streamMode(), StreamMode::Idle);
    EXPECT_EQ(camera.registerValue(reg::kFrameControl), 0xA0);
    EXPECT_EQ(camera.pictureCount(), 25u);
}

TEST_F(DualCamFaults, ClearFaultsDisarmsEverything)
{
    alignToFrame();
    camera.injectFault(Fault::PacketError, 100);
    camera.injectFault(Fault::StalledDataPipe);
    camera.clearFaults();
    const auto frame = host.nextFrame();
    ASSERT_TRUE(frame && frame->valid());
}

}  // namespace
}  // namespace qm::dualcam
