#include <gtest/gtest.h>

#include "device/transport/link_timing.h"
#include "device/transport/usb_transport.h"
#include "platform/usb/cable_server.h"
#include "tests/device/transport/scoped_link_time.h"
#include "tests/platform/usb/scripted_usb_device.h"
#include "tests/support/temp_dir.h"

namespace qm::device {
namespace {

using Packet = test::ScriptedUsbDevice::Packet;

struct ProbeLog {
    int calls = 0;
    int succeedFrom = 1;  // the call (from 1) from which the probe answers
};

int countingProbe(void* user)
{
    auto* log = static_cast<ProbeLog*>(user);
    return ++log->calls >= log->succeedFrom ? 1 : 0;
}

int unusedSpeed(void*, std::uint32_t) { return 0; }

class UsbTransportTest : public ::testing::Test {
protected:
    UsbTransportTest()
        : device(std::make_shared<test::ScriptedUsbDevice>(kCameraProduct2888)),
          server(usb::cable::CableServer::start(dir.file("usb.sock"), device)),
          env("QM4200_USB", dir.file("usb.sock"))
    {
    }

    test::ScopedLinkTime linkTime{2};
    test::TempDir dir;
    std::shared_ptr<test::ScriptedUsbDevice> device;
    std::unique_ptr<usb::cable::CableServer> server;
    test::ScopedEnv env;
    UsbTransport transport{kCameraProduct2888};
    ProbeLog probe;
};

TEST_F(UsbTransportTest, OpenRegistersResetsAndProbesTheCamera)
{
    ASSERT_TRUE(server);
    EXPECT_EQ(transport.kind(), TransportKind::Usb);
    EXPECT_FALSE(transport.isOpen());
    probe.succeedFrom = 3;
    ASSERT_TRUE(transport.Open(&countingProbe, &unusedSpeed, &probe));
    EXPECT_TRUE(transport.isOpen());
    EXPECT_EQ(probe.calls, 3);
    EXPECT_EQ(device->resets(), (std::vector<std::uint8_t>{0, 3, 0x84}));
    EXPECT_TRUE(transport.Close());
    EXPECT_FALSE(transport.isOpen());
}

TEST_F(UsbTransportTest, ASilentCameraIsGivenUpAfterTheProbeTime)
{
    probe.succeedFrom = 1000000;
    EXPECT_FALSE(transport.Open(&countingProbe, &unusedSpeed, &probe));
    EXPECT_GT(probe.calls, 1);  // probed again after pauses
    EXPECT_FALSE(transport.isOpen());
}

TEST_F(UsbTransportTest, WithoutTheProductOpenFailsAtOnce)
{
    UsbTransport other(kCameraProduct2620);
    EXPECT_FALSE(other.Open(&countingProbe, &unusedSpeed, &probe));
    EXPECT_EQ(probe.calls, 0);
    EXPECT_EQ(lastUsbDiagnostic(), "Could not open device\n");
}

TEST_F(UsbTransportTest, AShortRequestGoesOutAsOneZeroFilledPacket)
{
    ASSERT_TRUE(transport.Open(&countingProbe, &unusedSpeed, &probe));
    const Packet request{0x40, 0x00, 0x02, 0x01, 0x01};
    EXPECT_EQ(transport.write(request), 5);
    Packet expected(64, 0);
    std::copy(request.begin(), request.end(), expected.begin());
    EXPECT_EQ(device->outPackets(), std::vector<Packet>{expected});
}

TEST_F(UsbTransportTest, LongRequestsAreSplitIntoWholePackets)
{
    ASSERT_TRUE(transport.Open(&countingProbe, &unusedSpeed, &probe));
    Packet request(130);
    for (std::size_t i = 0; i < request.size(); ++i)
        request[i] = std::uint8_t(i + 1);
    EXPECT_EQ(transport.write(request), 130);
    const auto packets = device->outPackets();
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_EQ(packets[0], Packet(request.begin(), request.begin() + 64));
    EXPECT_EQ(packets[1], Packet(request.begin() + 64, request.begin() + 128));
    EXPECT_EQ(packets[2].size(), 64u);
    EXPECT_EQ(packets[2][1], 130);
    EXPECT_EQ(packets[2][2], 0);
}

TEST_F(UsbTransportTest, ASeventyByteReplyTakesTwoTransfers)
{
    ASSERT_TRUE(transport.Open(&countingProbe, &unusedSpeed, &probe));
    Packet reply(70);
    for (std::size_t i = 0; i < reply.size(); ++i)
        reply[i] = std::uint8_t(0x80 + i);
    // The camera pads its last packet; only the wanted bytes are kept.
    Packet second(reply.begin() + 64, reply.end());
    second.resize(64, 0xCC);
    device->queueIn(Packet(reply.begin(), reply.begin() + 64));
    device->queueIn(second);
    Packet buffer(70 + 16, 0xEE);
    EXPECT_EQ(transport.read(std::span(buffer).first(70)), 70);
    EXPECT_EQ(Packet(buffer.begin(), buffer.begin() + 70), reply);
    EXPECT_TRUE(std::all_of(buffer.begin() + 70, buffer.end(), [](std::uint8_t b) { return b == 0xEE; }));
    EXPECT_EQ(device->inRequests(), 2u);
}

TEST_F(UsbTransportTest, AShortPacketEndsTheReply)
{
    ASSERT_TRUE(transport.Open(&countingProbe, &unusedSpeed, &probe));
    device->queueReply(Packet(100, 7));  // 64 + 36
    Packet buffer(1031);
    EXPECT_EQ(transport.read(buffer), 100);
    EXPECT_EQ(device->inRequests(), 2u);
}

TEST_F(UsbTransportTest, FailedTransfersFailTheCall)
{
    ASSERT_TRUE(transport.Open(&countingProbe, &unusedSpeed, &probe));
    Packet buffer(100);
    EXPECT_EQ(transport.read(buffer), 0);  // nothing comes: time-out
    device->queueIn(Packet(64, 1));
    device->stallNextIn();  // the second packet stalls: the first is not reported either
    EXPECT_EQ(transport.read(buffer), 0);
    server.reset();  // unplugged
    const Packet request{1, 2, 3};
    EXPECT_EQ(transport.write(request), 0);
    EXPECT_TRUE(transport.Close());
}

TEST_F(UsbTransportTest, OneByteCallsAndTimeoutsAreNotUsedOnUsb)
{
    ASSERT_TRUE(transport.Open(&countingProbe, &unusedSpeed, &probe));
    std::uint8_t byte = 0;
    EXPECT_EQ(transport.writeByte(1), 0);
    EXPECT_EQ(transport.readByte(byte), 0);
    comm::COMMTIMEOUTS timeouts;
    EXPECT_TRUE(transport.setTimeouts(timeouts));
    EXPECT_TRUE(transport.getTimeouts(timeouts));
    EXPECT_TRUE(transport.purge());
    EXPECT_TRUE(device->outPackets().empty());
}

TEST(UsbTransportWithoutCable, NoCameraFailsWithoutProbing)
{
    test::TempDir dir;
    test::ScopedEnv env("QM4200_USB", dir.file("absent.sock"));
    UsbTransport transport(kCameraProduct2620);
    ProbeLog probe;
    EXPECT_FALSE(transport.Open(&countingProbe, &unusedSpeed, &probe));
    EXPECT_EQ(probe.calls, 0);
    EXPECT_FALSE(transport.isOpen());
    Packet buffer(4);
    EXPECT_EQ(transport.read(buffer), 0);
}

}  // namespace
}  // namespace qm::device
