// The camera on a real pseudo-terminal, reached through W/dosdevices/comN.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "tests/simulators/stillcam/camera_fixture.h"
#include "tests/support/windows_dir.h"

namespace qm::stillcam::test {
namespace {

const Bytes kStatusReply = {0x40, 0x03, 0x00, 0x81, 0x01, 0x82};

class SerialLine : public ::testing::Test {
protected:
    void attach(StillCameraConfig config, int port = 2)
    {
        camera_ = makeCamera(config);
        std::string error;
        ASSERT_TRUE(camera_->attachSerial(port, windows_.path(), &error)) << error;
        watcher_ = std::make_unique<CommandWatcher>(*camera_);
        host_ = std::make_unique<SerialHost>(windows_.path() + "/dosdevices/com" + std::to_string(port));
        ASSERT_TRUE(host_->isOpen());
        host_->setLine(config.serialRate);
    }

    qm::test::WindowsDir windows_;
    std::unique_ptr<StillCamera> camera_;
    std::unique_ptr<CommandWatcher> watcher_;
    std::unique_ptr<SerialHost> host_;
};

TEST_F(SerialLine, LinkPointsAtThePtyAndGoesWithTheCable)
{
    attach(testConfig());
    const std::string link = windows_.path() + "/dosdevices/com2";
    EXPECT_EQ(camera_->serialLinkPath(), link);
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), camera_->serialDevicePath());
    host_->send(request({CMD_STATUS}));
    EXPECT_EQ(host_->receive(6), kStatusReply);
    camera_->unplugSerial();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
    EXPECT_FALSE(camera_->serialAttached());
    EXPECT_TRUE(camera_->serialLinkPath().empty());
}

TEST_F(SerialLine, HostAtAnotherSpeedOrFrameIsNotHeard)
{
    attach(testConfig());
    host_->setLine(19200);
    host_->send(request({CMD_STATUS}));
    ASSERT_TRUE(watcher_->waitFor("unheard"));
    host_->setLine(9600, /*twoStopBits=*/true);
    host_->send(request({CMD_STATUS}));
    ASSERT_TRUE(watcher_->waitFor("not 8N1"));
    EXPECT_EQ(host_->pending(), 0u);
    EXPECT_FALSE(camera_->lastCommand());

    host_->setLine(9600);
    host_->send(request({CMD_STATUS}));
    EXPECT_EQ(host_->receive(6), kStatusReply);
}

TEST_F(SerialLine, SpeedChangeTakesEffectAfterTheReply)
{
    attach(testConfig());
    host_->send(request({CMD_SET_SPEED, 4}));
    EXPECT_EQ(host_->receive(6), (Bytes{0x40, 0x03, 0x00, 0x84, 0x01, 0x85}));
    ASSERT_TRUE(watcher_->waitFor("CMD_SET_SPEED"));

    host_->send(request({CMD_STATUS}));  // still at 9600
    ASSERT_TRUE(watcher_->waitFor("unheard"));
    host_->setLine(115200);
    host_->send(request({CMD_CAMERA_INFO}));
    const Reply reply = parseReply(host_->receive(70));
    ASSERT_TRUE(reply.valid);
    EXPECT_EQ(infoOf(reply)[26], 4);
    EXPECT_EQ(camera_->serialRate(), 115200u);
}

TEST_F(SerialLine, NoiseBeforeARequestIsSkippedAndPartialRequestsWait)
{
    attach(testConfig());
    Bytes noisy = {0x00, 0x13, 0x40, 0xFF, 0xFF};  // a start byte with an impossible length
    const Bytes status = request({CMD_STATUS});
    noisy.insert(noisy.end(), status.begin(), status.end());
    host_->send(noisy);
    EXPECT_EQ(host_->receive(6), kStatusReply);

    // A request may arrive in pieces.
    const Bytes info = request({CMD_PICTURE_INFO, 1, 0});
    host_->send(std::span(info).first(3));
    host_->send(std::span(info).subspan(3));
    EXPECT_TRUE(parseReply(host_->receive(70)).valid);
}

TEST_F(SerialLine, PagedReadRecoversFromABadBlock)
{
    auto config = testConfig(16, 1);
    config.faultScript = "bad-checksum cmd=read-thumbnail block=2";
    attach(config);
    host_->send(firstBlockRequest(CMD_READ_THUMBNAIL, 1));
    ASSERT_TRUE(parseReply(host_->receive(1031)).valid);
    host_->send(nextBlockRequest(CMD_READ_THUMBNAIL, 1, 1));
    EXPECT_FALSE(parseReply(host_->receive(1031)).valid);
    host_->send(nextBlockRequest(CMD_READ_THUMBNAIL, 0xFF, 1));
    const Reply again = parseReply(host_->receive(1031));
    ASSERT_TRUE(again.valid);
    EXPECT_EQ(again.data[1], 2);
    const Bytes thumbnail = camera_->thumbnailData(1);
    EXPECT_EQ(Bytes(again.data.begin() + 2, again.data.end()), Bytes(thumbnail.begin() + 1024, thumbnail.begin() + 2048));
}

TEST_F(SerialLine, UnplugFaultRemovesTheLink)
{
    auto config = testConfig();
    config.faultScript = "unplug cmd=capture";
    attach(config);
    std::mutex mutex;
    std::condition_variable gone;
    bool unplugged = false;
    camera_->setUnplugListener([&] {
        std::lock_guard lock(mutex);
        unplugged = true;
        gone.notify_all();
    });
    host_->send(request({CMD_CAPTURE}));
    std::unique_lock lock(mutex);
    ASSERT_TRUE(gone.wait_for(lock, std::chrono::seconds(10), [&] { return unplugged; }));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(windows_.path() + "/dosdevices/com2")));
    EXPECT_FALSE(camera_->serialAttached());
}

TEST_F(SerialLine, PacedRepliesTakeTheirTimeOnTheLine)
{
    auto config = testConfig();
    config.pacing = true;
    config.workTimes = WorkTimes{};
    attach(config);
    const auto start = std::chrono::steady_clock::now();
    host_->send(request({CMD_CAMERA_INFO}));
    EXPECT_EQ(host_->receive(70).size(), 70u);
    // 2 + 70 bytes of 10 bits at 9600 bit/s.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::microseconds(72 * 10 * 1000000 / 9600));
}

}  // namespace
}  // namespace qm::stillcam::test
