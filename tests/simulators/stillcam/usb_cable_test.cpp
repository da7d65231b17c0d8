// The camera on the virtual USB cable, driven through its socket.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "platform/system/byte_order.h"
#include "platform/usb/virtual_cable.h"
#include "tests/simulators/stillcam/camera_fixture.h"
#include "tests/simulators/stillcam/jpeg_check.h"
#include "tests/simulators/stillcam/upload_requests.h"
#include "tests/support/temp_dir.h"

namespace qm::stillcam::test {
namespace {

namespace cable = usb::cable;

const Bytes kStatusReply = {0x40, 0x03, 0x00, 0x81, 0x01, 0x82};

class UsbCable : public ::testing::Test {
protected:
    void plug(StillCameraConfig config, std::uint16_t product = kProduct2620)
    {
        camera_ = makeCamera(config);
        std::string error;
        ASSERT_TRUE(camera_->attachUsb(socket_, product, &error)) << error;
        host_ = std::make_unique<CableHost>(socket_);
        ASSERT_TRUE(host_->isConnected());
    }

    qm::test::TempDir dir_;
    std::string socket_ = dir_.file("usb");
    std::unique_ptr<StillCamera> camera_;
    std::unique_ptr<CableHost> host_;
};

TEST_F(UsbCable, DescribesItselfAndRefusesOtherPipes)
{
    plug(testConfig(), kProduct2888);
    const auto described = host_->describe();
    ASSERT_EQ(described.status, cable::kStatusOk);
    ASSERT_EQ(described.data.size(), 4u);
    EXPECT_EQ(sys::readLe16(&described.data[0]), 0x0784);
    EXPECT_EQ(sys::readLe16(&described.data[2]), 0x2888);

    EXPECT_EQ(host_->bulkOut(1, request({CMD_STATUS})).status, cable::kStatusBadRequest);
    EXPECT_EQ(host_->bulkIn(0x82, 64, 10).status, cable::kStatusBadRequest);
    EXPECT_EQ(host_->call(9, 0, {}, 0, 0).status, cable::kStatusBadRequest);
    EXPECT_EQ(host_->call(4, 3, Bytes(8, 0), 20, 0).status, cable::kStatusBadRequest);  // length disagrees
    EXPECT_EQ(host_->exchange(request({CMD_STATUS}), 6), kStatusReply);

    EXPECT_FALSE(makeCamera(testConfig())->attachUsb(dir_.file("other"), 0x1234));
}

TEST_F(UsbCable, RequestsArePaddedPacketsAndRepliesEndInAShortPacket)
{
    plug(testConfig());
    Bytes packet(64, 0);
    const Bytes info = request({CMD_PICTURE_INFO, 1, 0});
    std::copy(info.begin(), info.end(), packet.begin());
    ASSERT_EQ(host_->bulkOut(kRequestPipe, packet).length, 64u);
    const auto first = host_->bulkIn(kReplyPipe, 64, 1000);
    const auto second = host_->bulkIn(kReplyPipe, 64, 1000);
    ASSERT_EQ(first.data.size(), 64u);
    ASSERT_EQ(second.data.size(), 6u);
    Bytes reply = first.data;
    reply.insert(reply.end(), second.data.begin(), second.data.end());
    EXPECT_TRUE(parseReply(reply).valid);
    EXPECT_EQ(host_->bulkIn(kReplyPipe, 64, 20).status, cable::kStatusTimeout);

    // A whole block reply: 16 full packets and 7 bytes.
    ASSERT_TRUE(host_->sendRequest(firstBlockRequest(CMD_READ_THUMBNAIL, 1)));
    for (int i = 0; i < 16; ++i)
        ASSERT_EQ(host_->bulkIn(kReplyPipe, 64, 1000).data.size(), 64u);
    EXPECT_EQ(host_->bulkIn(kReplyPipe, 64, 1000).data.size(), 7u);
}

TEST_F(UsbCable, UnreadReplyIsDroppedByTheNextRequest)
{
    plug(testConfig());
    ASSERT_TRUE(host_->sendRequest(request({CMD_CAMERA_INFO})));
    ASSERT_EQ(host_->bulkIn(kReplyPipe, 64, 1000).data.size(), 64u);
    EXPECT_EQ(host_->exchange(request({CMD_STATUS}), 6), kStatusReply);
}

TEST_F(UsbCable, UploadAndPagedReadOverTheCable)
{
    plug(testConfig(16, 0));
    const Bytes jpeg = solidJpeg(640, 480, 30, 200, 90);
    EXPECT_EQ(parseReply(host_->exchange(beginUploadRequest(std::uint32_t(jpeg.size())), 6)).data, Bytes{1});
    for (const Bytes& block : writeBlockRequests(jpeg))
        ASSERT_EQ(parseReply(host_->exchange(block, 7)).data[0], 1);
    ASSERT_EQ(camera_->pictureCount(), 1u);

    Bytes read;
    Reply reply = parseReply(host_->exchange(firstBlockRequest(CMD_READ_PICTURE, 1), 1031));
    while (reply.valid) {
        read.insert(read.end(), reply.data.begin() + 2, reply.data.end());
        if (reply.data[0] == 2)
            break;
        // The host asks for exactly what is left, as it knows the size.
        const std::size_t wanted = std::min<std::size_t>(jpeg.size() - read.size(), 1024) + 7;
        reply = parseReply(host_->exchange(nextBlockRequest(CMD_READ_PICTURE, 1, reply.data[1]), wanted));
    }
    EXPECT_EQ(read, jpeg);
    ASSERT_TRUE(host_->sendRequest(nextBlockRequest(CMD_READ_PICTURE, 2, reply.data[1])));
    EXPECT_EQ(host_->bulkIn(kReplyPipe, 64, 20).status, cable::kStatusTimeout);
}

TEST_F(UsbCable, FaultsShowOnTheCable)
{
    plug(testConfig());
    camera_->injectFault({.kind = FaultKind::NoReply});
    ASSERT_TRUE(host_->sendRequest(request({CMD_STATUS})));
    EXPECT_EQ(host_->bulkIn(kReplyPipe, 64, 30).status, cable::kStatusTimeout);

    camera_->injectFault({.kind = FaultKind::EndpointStall});
    ASSERT_TRUE(host_->sendRequest(request({CMD_STATUS})));
    EXPECT_EQ(host_->bulkIn(kReplyPipe, 64, 1000).status, cable::kStatusStall);
    EXPECT_EQ(host_->bulkIn(kReplyPipe, 64, 1000).status, cable::kStatusStall);
    EXPECT_EQ(host_->resetPipe(kReplyPipe).status, cable::kStatusOk);
    EXPECT_EQ(host_->exchange(request({CMD_STATUS}), 6), kStatusReply);

    // A stall longer than the host waits looks like no reply; waiting long
    // enough gets it.
    camera_->injectFault({.kind = FaultKind::Stall, .durationMs = 300});
    ASSERT_TRUE(host_->sendRequest(request({CMD_STATUS})));
    EXPECT_EQ(host_->bulkIn(kReplyPipe, 64, 10).status, cable::kStatusTimeout);
    EXPECT_EQ(host_->bulkIn(kReplyPipe, 64, 5000).data, kStatusReply);

    camera_->injectFault({.kind = FaultKind::ShortReply, .keepBytes = 2});
    ASSERT_TRUE(host_->sendRequest(request({CMD_STATUS})));
    EXPECT_EQ(host_->receiveReply(6, 30), (Bytes{0x40, 0x03}));
}

TEST_F(UsbCable, UnplugClosesTheSocketAndRemovesThePath)
{
    plug(testConfig());
    std::mutex mutex;
    std::condition_variable gone;
    bool unplugged = false;
    camera_->setUnplugListener([&] {
        std::lock_guard lock(mutex);
        unplugged = true;
        gone.notify_all();
    });
    camera_->injectFault({.kind = FaultKind::Unplug, .command = CMD_CAPTURE});
    EXPECT_EQ(host_->exchange(request({CMD_STATUS}), 6), kStatusReply);
    EXPECT_EQ(host_->bulkOut(kRequestPipe, request({CMD_CAPTURE})).status, -1);
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(gone.wait_for(lock, std::chrono::seconds(10), [&] { return unplugged; }));
    }
    EXPECT_FALSE(std::filesystem::exists(socket_));
    EXPECT_FALSE(camera_->usbAttached());

    // Plugged in again on the same path, it answers a new host.
    ASSERT_TRUE(camera_->attachUsb(socket_));
    CableHost again(socket_);
    EXPECT_EQ(again.exchange(request({CMD_STATUS}), 6), kStatusReply);
    camera_->unplugUsb();
    EXPECT_FALSE(std::filesystem::exists(socket_));
}

TEST_F(UsbCable, HostsComeAndGoAndStaleSocketsAreReplaced)
{
    plug(testConfig());
    // A scan while the first host holds its connection.
    EXPECT_EQ(CableHost(socket_).describe().status, cable::kStatusOk);
    host_.reset();  // the first host hangs up
    CableHost second(socket_);
    EXPECT_EQ(second.exchange(request({CMD_STATUS}), 6), kStatusReply);

    // A live camera keeps its path; a socket nobody serves is taken over.
    EXPECT_FALSE(makeCamera(testConfig())->attachUsb(socket_));
    const std::string stale = dir_.file("stale");
    {
        int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, stale.c_str(), sizeof address.sun_path - 1);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }
    auto other = makeCamera(testConfig());
    ASSERT_TRUE(other->attachUsb(stale));
    EXPECT_EQ(CableHost(stale).exchange(request({CMD_STATUS}), 6), kStatusReply);
}

}  // namespace
}  // namespace qm::stillcam::test
