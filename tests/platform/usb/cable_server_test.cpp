// The cable's device end driven through its socket by plain hosts.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/system/byte_order.h"
#include "platform/usb/cable_server.h"
#include "platform/usb/cable_wire.h"
#include "tests/platform/usb/scripted_usb_device.h"
#include "tests/support/temp_dir.h"

namespace qm::usb::cable {
namespace {

using Clock = std::chrono::steady_clock;
using Packet = test::ScriptedUsbDevice::Packet;

struct Answer {
    ReplyHeader header;
    Packet payload;
};

// One connection to a server, one request and its answer at a time.
class RawHost {
public:
    explicit RawHost(const std::string& path) : fd_(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0))
    {
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            hangUp();
    }
    ~RawHost() { hangUp(); }
    RawHost(const RawHost&) = delete;
    RawHost& operator=(const RawHost&) = delete;

    bool connected() const { return fd_ >= 0; }
    void hangUp()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

    bool sendRaw(std::span<const std::uint8_t> datagram) { return fd_ >= 0 && sendDatagram(fd_, datagram); }
    bool send(const RequestHeader& request, std::span<const std::uint8_t> payload = {})
    {
        return sendRaw(encodeRequest(request, payload));
    }
    // Nullopt when nothing came in time or the server closed the connection.
    std::optional<Answer> receive(int waitMs = 5000)
    {
        Packet datagram(kReplyHeaderSize + kMaxPayload);
        const auto size = fd_ >= 0 ? receiveDatagram(fd_, datagram, waitMs) : std::nullopt;
        if (!size)
            return std::nullopt;
        const auto header = decodeReply(std::span(datagram).first(*size));
        if (!header)
            return std::nullopt;
        return Answer{*header, Packet(datagram.begin() + kReplyHeaderSize, datagram.begin() + long(*size))};
    }
    std::optional<Answer> ask(const RequestHeader& request, std::span<const std::uint8_t> payload = {})
    {
        return send(request, payload) ? receive() : std::nullopt;
    }

private:
    int fd_;
};

bool waitUntil(const std::function<bool()>& done)
{
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class CableServerTest : public ::testing::Test {
protected:
    std::unique_ptr<CableServer> serve(std::function<void()> onClosed = {})
    {
        return CableServer::start(path, device, std::move(onClosed));
    }

    test::TempDir dir;
    std::string path = dir.file("usb.sock");
    std::shared_ptr<test::ScriptedUsbDevice> device = std::make_shared<test::ScriptedUsbDevice>();
};

TEST_F(CableServerTest, MalformedRequestsAreAnsweredWithoutTroublingTheDevice)
{
    const auto server = serve();
    ASSERT_TRUE(server);
    RawHost host(server->socketPath());
    ASSERT_TRUE(host.connected());
    const std::uint8_t garbage[5] = {1, 2, 3, 4, 5};
    ASSERT_TRUE(host.sendRaw(garbage));
    const auto answer = host.receive();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->header.status, kStatusBadRequest);

    // A pipe number wider than an endpoint address.
    const auto widePipe = host.ask({Op::ResetPipe, 0x184, 0, 0});
    ASSERT_TRUE(widePipe);
    EXPECT_EQ(widePipe->header.status, kStatusBadRequest);
    EXPECT_TRUE(device->resets().empty());
    EXPECT_EQ(host.ask({Op(9), 0, 0, 0})->header.status, kStatusBadRequest);
}

TEST_F(CableServerTest, TimedWaitsSpanManyLooksAtTheHostYetLastTheirFullTime)
{
    const auto server = serve();
    ASSERT_TRUE(server);
    RawHost host(path);
    const auto start = Clock::now();
    const auto nothing = host.ask({Op::BulkIn, 0x84, 64, 250});
    ASSERT_TRUE(nothing);
    EXPECT_EQ(nothing->header.status, kStatusTimeout);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(250));

    std::thread late([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        device->queueIn({4, 5, 6});
    });
    const auto data = host.ask({Op::BulkIn, 0x84, 64, 2000});
    late.join();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->header.status, kStatusOk);
    EXPECT_EQ(data->payload, (Packet{4, 5, 6}));
}

TEST_F(CableServerTest, HostsAreServedSideBySide)
{
    const auto server = serve();
    ASSERT_TRUE(server);
    RawHost reader(path);
    ASSERT_TRUE(reader.send({Op::BulkIn, 0x84, 64, 0}));
    ASSERT_TRUE(waitUntil([&] { return device->inRequests() > 0; }));

    // A scan while another connection waits on the device.
    RawHost scanner(path);
    const auto described = scanner.ask({Op::Describe, 0, 0, 0});
    ASSERT_TRUE(described);
    ASSERT_EQ(described->payload.size(), 4u);
    EXPECT_EQ(sys::readLe16(&described->payload[2]), 0x2620);

    device->queueIn({1});
    const auto read = reader.receive();
    ASSERT_TRUE(read);
    EXPECT_EQ(read->payload, Packet{1});
}

TEST_F(CableServerTest, AHostThatHangsUpWhileWaitingLeavesTheDataToTheNext)
{
    const auto server = serve();
    ASSERT_TRUE(server);
    {
        RawHost gone(path);
        ASSERT_TRUE(gone.send({Op::BulkIn, 0x84, 64, 0}));
        ASSERT_TRUE(waitUntil([&] { return device->inRequests() > 0; }));
    }
    // The server stops asking the device on its behalf.
    unsigned asked = device->inRequests();
    ASSERT_TRUE(waitUntil([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        return std::exchange(asked, device->inRequests()) == asked;
    }));

    RawHost next(path);
    ASSERT_TRUE(next.send({Op::BulkIn, 0x84, 64, 5000}));
    device->queueIn({2});
    const auto read = next.receive();
    ASSERT_TRUE(read);
    EXPECT_EQ(read->payload, Packet{2});
}

TEST_F(CableServerTest, DestroyingTheServerEndsAWaitWithoutLimit)
{
    auto server = serve();
    ASSERT_TRUE(server);
    RawHost host(path);
    ASSERT_TRUE(host.send({Op::BulkIn, 0x84, 64, 0}));
    ASSERT_TRUE(waitUntil([&] { return device->inRequests() > 0; }));
    server.reset();
    EXPECT_FALSE(host.receive());
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(CableServerTest, ADeviceThatUnplugsItselfAnswersNothingMore)
{
    std::mutex mutex;
    std::condition_variable closedSignal;
    int closed = 0;
    auto server = serve([&] {
        std::lock_guard lock(mutex);
        ++closed;
        closedSignal.notify_all();
    });
    ASSERT_TRUE(server);
    device->onOut([this](const Packet&) { device->pullCable(); });
    RawHost bystander(path);
    ASSERT_TRUE(bystander.ask({Op::Describe, 0, 0, 0}));

    RawHost host(path);
    const Packet request(64, 0x11);
    EXPECT_FALSE(host.ask({Op::BulkOut, 3, 64, 0}, request));
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(closedSignal.wait_for(lock, std::chrono::seconds(5), [&] { return closed > 0; }));
    }
    EXPECT_EQ(device->outPackets().size(), 1u);
    EXPECT_FALSE(bystander.ask({Op::Describe, 0, 0, 0}));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(RawHost(path).connected());

    // Plugged in again on the same path before the old server is gone: the
    // old one leaves the new one's socket alone.
    auto replugged = CableServer::start(path, std::make_shared<test::ScriptedUsbDevice>(0x2888));
    ASSERT_TRUE(replugged);
    server.reset();
    EXPECT_EQ(closed, 1);
    const auto described = RawHost(path).ask({Op::Describe, 0, 0, 0});
    ASSERT_TRUE(described);
    EXPECT_EQ(sys::readLe16(&described->payload[2]), 0x2888);
}

TEST_F(CableServerTest, AServerRemovesOnlyItsOwnSocket)
{
    auto first = serve();
    ASSERT_TRUE(first);
    // Somebody cleared the path and a second server took it.
    ASSERT_TRUE(std::filesystem::remove(path));
    const auto second = serve();
    ASSERT_TRUE(second);
    first.reset();
    EXPECT_TRUE(RawHost(path).ask({Op::Describe, 0, 0, 0}));
}

TEST_F(CableServerTest, OnlyASocketNobodyServesIsTakenOver)
{
    const auto live = serve();
    ASSERT_TRUE(live);
    std::string error;
    EXPECT_FALSE(CableServer::start(path, device, {}, &error));
    EXPECT_NE(error.find("in use"), std::string::npos) << error;
    EXPECT_TRUE(RawHost(path).ask({Op::Describe, 0, 0, 0}));

    const std::string stale = dir.file("stale.sock");
    {
        const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, stale.c_str(), sizeof address.sun_path - 1);
        ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }
    const auto takeover = CableServer::start(stale, device);
    ASSERT_TRUE(takeover);
    EXPECT_TRUE(RawHost(stale).ask({Op::Describe, 0, 0, 0}));

    const std::string plainFile = dir.file("notes.txt");
    test::writeTextFile(plainFile, "keep me");
    EXPECT_FALSE(CableServer::start(plainFile, device));
    EXPECT_EQ(test::readTextFile(plainFile), "keep me");
    EXPECT_FALSE(CableServer::start(dir.file(std::string(200, 'x')), device, {}, &error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace qm::usb::cable
