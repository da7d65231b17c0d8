#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

#include "common/config/kvb_config.h"
#include "device/transport/link_timing.h"
#include "device/transport/serial_transport.h"
#include "device/transport/speed_table.h"
#include "simulators/stillcam/still_camera.h"
#include "tests/device/transport/scoped_link_time.h"
#include "tests/platform/comm/pty_line.h"
#include "tests/support/windows_dir.h"

namespace qm::device {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// Just enough of the camera protocol to drive a search: CMD_STATUS as the
// probe and CMD_SET_SPEED as the speed callback, framed by hand.
bool exchange(SerialTransport& transport, const Bytes& request, std::uint8_t replyCode)
{
    transport.purge();
    if (transport.write(request) != long(request.size()))
        return false;
    std::uint8_t reply[6] = {};
    return transport.read(reply) == 6 && reply[0] == 0x40 && reply[3] == replyCode;
}

int statusProbe(void* user)
{
    return exchange(*static_cast<SerialTransport*>(user), {0x40, 0x00, 0x02, 0x01, 0x01}, 0x81) ? 1 : 0;
}

int setSpeed(void* user, std::uint32_t rate)
{
    const auto index = speedIndexOf(rate);
    if (!index)
        return 0;
    const Bytes request{0x40, 0x00, 0x03, 0x04, *index, std::uint8_t(0x04 + *index)};
    return exchange(*static_cast<SerialTransport*>(user), request, 0x84) ? 1 : 0;
}

int alwaysAnswers(void*) { return 1; }
int acceptsSpeed(void*, std::uint32_t) { return 1; }

std::vector<std::uint32_t> positions;
void recordPosition(void*, std::uint32_t position) { positions.push_back(position); }

class SerialTransportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        positions.clear();
        for (unsigned port = 1; port <= 4; ++port)
            test::publishAbsentPort(port);
    }

    void preferRate(int rate) { config::writeInt("Baud Rate Speeding", "Baud Rate Mode", rate); }
    std::string recorded(const char* key) { return config::readText("COMMUNICATION Port", key, "(missing)"); }

    std::unique_ptr<stillcam::StillCamera> cameraOn(unsigned port, std::uint32_t rate,
                                                    const std::string& faults = {})
    {
        stillcam::StillCameraConfig config;
        config.serialRate = rate;
        config.faultScript = faults;
        std::string error;
        auto camera = stillcam::StillCamera::create(config, &error);
        EXPECT_TRUE(camera) << error;
        EXPECT_TRUE(camera && camera->attachSerial(int(port)));
        return camera;
    }

    std::vector<unsigned> speedIndexesSent(const stillcam::StillCamera& camera)
    {
        std::vector<unsigned> indexes;
        for (const auto& record : camera.commandLog()) {
            if (record.code == 0x04 && record.request.size() > 4)
                indexes.push_back(record.request[4]);
        }
        return indexes;
    }

    test::ScopedLinkTime linkTime{10};
    test::WindowsDir windows;
    SerialTransport transport;
};

TEST_F(SerialTransportTest, SteppingUpFromNineSixHundredToThePreference)
{
    preferRate(115200);
    auto camera = cameraOn(2, 9600);
    transport.setPositionCallback(&recordPosition, nullptr);
    ASSERT_TRUE(transport.Open(&statusProbe, &setSpeed, &transport));
    EXPECT_EQ(transport.kind(), TransportKind::Serial);
    EXPECT_EQ(transport.rate(), 115200u);
    EXPECT_EQ(camera->serialRate(), 115200u);
    EXPECT_EQ(speedIndexesSent(*camera), (std::vector<unsigned>{1, 2, 3, 4}));
    EXPECT_EQ(recorded("Port Name"), "COM2:");
    EXPECT_EQ(recorded("Baud Rate"), "115200");
    EXPECT_EQ(positions, (std::vector<std::uint32_t>{0, 25, 26, 27, 28, 29}));
    EXPECT_EQ(transport.position(), 29u);
}

TEST_F(SerialTransportTest, ALowerPreferenceIsReachedInOneStep)
{
    preferRate(38400);
    auto camera = cameraOn(1, 57600);
    ASSERT_TRUE(transport.Open(&statusProbe, &setSpeed, &transport));
    EXPECT_EQ(transport.rate(), 38400u);
    EXPECT_EQ(camera->serialRate(), 38400u);
    EXPECT_EQ(speedIndexesSent(*camera), (std::vector<unsigned>{2}));
    EXPECT_EQ(recorded("Port Name"), "COM1:");
    EXPECT_EQ(recorded("Baud Rate"), "38400");
}

TEST_F(SerialTransportTest, APreferenceBetweenTableRatesIsACeiling)
{
    preferRate(20000);
    auto camera = cameraOn(3, 9600);
    ASSERT_TRUE(transport.Open(&statusProbe, &setSpeed, &transport));
    EXPECT_EQ(transport.rate(), 19200u);
    EXPECT_EQ(camera->serialRate(), 19200u);
    EXPECT_EQ(recorded("Baud Rate"), "19200");
    transport.Close();

    // From above: a camera at 38400 is brought down to 19200, not lost.
    camera->setSerialRate(38400);
    SerialTransport again;
    ASSERT_TRUE(again.Open(&statusProbe, &setSpeed, &again));
    EXPECT_EQ(again.rate(), 19200u);
    EXPECT_EQ(camera->serialRate(), 19200u);
}

TEST_F(SerialTransportTest, NoCameraLeavesBothKeysEmpty)
{
    config::writeText("COMMUNICATION Port", "Port Name", "COM3:");
    config::writeInt("COMMUNICATION Port", "Baud Rate", 57600);
    test::PtyLine silent;  // a port with nothing behind it
    silent.publishAs(2);
    transport.setPositionCallback(&recordPosition, nullptr);
    EXPECT_FALSE(transport.Open(&statusProbe, &setSpeed, &transport));
    EXPECT_FALSE(transport.isOpen());
    EXPECT_EQ(recorded("Port Name"), "");
    EXPECT_EQ(recorded("Baud Rate"), "");
    EXPECT_EQ(positions, (std::vector<std::uint32_t>{0, 25, 50, 75}));
    EXPECT_EQ(transport.lastError(), kSerialErrorOpen);  // COM4 was absent
    // The silent port was tried at every rate and let go again.
    const comm::HANDLE port = comm::CreateFile("COM2", comm::GENERIC_READ | comm::GENERIC_WRITE, 0, nullptr,
                                         comm::OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(port, comm::INVALID_HANDLE_VALUE);
    comm::CloseHandle(port);
}

TEST_F(SerialTransportTest, APortInUseIsSkipped)
{
    preferRate(9600);
    auto camera = cameraOn(1, 9600);
    const comm::HANDLE held = comm::CreateFile("COM1:", comm::GENERIC_READ | comm::GENERIC_WRITE, 0, nullptr,
                                               comm::OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, comm::INVALID_HANDLE_VALUE);
    EXPECT_FALSE(transport.Open(&statusProbe, &setSpeed, &transport));
    comm::CloseHandle(held);
    ASSERT_TRUE(transport.Open(&statusProbe, &setSpeed, &transport));
    EXPECT_EQ(recorded("Port Name"), "COM1:");
}

TEST_F(SerialTransportTest, ACameraLostAfterASwitchIsFoundAgain)
{
    // The status probe after the second switch (to 38400) goes unanswered:
    // stepping stops and the second detection finds the camera at 38400.
    preferRate(115200);
    auto camera = cameraOn(2, 9600, "no-reply cmd=status skip=2");
    ASSERT_TRUE(transport.Open(&statusProbe, &setSpeed, &transport));
    EXPECT_EQ(transport.rate(), 38400u);
    EXPECT_EQ(camera->serialRate(), 38400u);
    EXPECT_EQ(recorded("Baud Rate"), "38400");
}

TEST_F(SerialTransportTest, TheLineIsRawEightNoneOneWithoutFlowControl)
{
    preferRate(9600);
    auto camera = cameraOn(2, 9600);
    ASSERT_TRUE(transport.Open(&statusProbe, &setSpeed, &transport));
    const int fd = ::open(camera->serialDevicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios tio {};
    ASSERT_EQ(::tcgetattr(fd, &tio), 0);
    ::close(fd);
    EXPECT_EQ(cfgetospeed(&tio), speed_t(B9600));
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | INPCK), 0u);

    comm::COMMTIMEOUTS timeouts;
    ASSERT_TRUE(transport.getTimeouts(timeouts));
    EXPECT_EQ(timeouts.ReadIntervalTimeout, comm::MAXDWORD);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 2u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, linkWait(500));
    EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 0u);
}

class SerialChannelTest : public SerialTransportTest {
protected:
    void SetUp() override
    {
        SerialTransportTest::SetUp();
        preferRate(9600);
        line.publishAs(3);
        ASSERT_TRUE(transport.Open(&alwaysAnswers, &acceptsSpeed, nullptr));
    }
    test::PtyLine line;
};

TEST_F(SerialChannelTest, AReadTakesUpToThreeCallsForTheMissingBytes)
{
    EXPECT_EQ(transport.rate(), 9600u);
    line.send({1, 2});
    ASSERT_TRUE(line.waitUntilHostCanRead(2s));
    std::uint8_t reply[6] = {};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(transport.read(reply), 2);
    // The first call took the two queued bytes; two more waited in vain.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2 * linkWait(500)));

    line.send({1, 2, 3, 4, 5, 6, 7});
    ASSERT_TRUE(line.waitUntilHostCanRead(2s));
    EXPECT_EQ(transport.read(reply), 6);
    EXPECT_EQ(reply[5], 6);
    std::uint8_t byte = 0;
    EXPECT_EQ(transport.readByte(byte), 1);
    EXPECT_EQ(byte, 7);
}

TEST_F(SerialChannelTest, WritesAndPurgesReachTheLine)
{
    const Bytes request{0x40, 0x00, 0x02, 0x01, 0x01};
    EXPECT_EQ(transport.write(request), 5);
    EXPECT_EQ(transport.writeByte(0x55), 1);
    EXPECT_EQ(line.receive(6, 2s), (Bytes{0x40, 0x00, 0x02, 0x01, 0x01, 0x55}));

    line.send({9, 9, 9});
    ASSERT_TRUE(line.waitUntilHostCanRead(2s));
    EXPECT_TRUE(transport.purge());
    EXPECT_FALSE(line.waitUntilHostCanRead(0ms));
}

TEST_F(SerialChannelTest, CloseReleasesThePort)
{
    EXPECT_TRUE(transport.Close());
    EXPECT_FALSE(transport.isOpen());
    std::uint8_t byte = 0;
    EXPECT_EQ(transport.readByte(byte), kTransportCallFailed);
    EXPECT_EQ(transport.lastError(), kSerialErrorComm);
    const comm::HANDLE port = comm::CreateFile("COM3", comm::GENERIC_READ | comm::GENERIC_WRITE, 0, nullptr,
                                               comm::OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(port, comm::INVALID_HANDLE_VALUE);
    comm::CloseHandle(port);
}

TEST(LinkTiming, ShortensButNeverDropsAWait)
{
    test::ScopedLinkTime scoped(10);
    EXPECT_EQ(linkWait(500), 50u);
    EXPECT_EQ(linkWait(5), 1u);
    EXPECT_EQ(linkWait(0), 0u);
    setLinkTimePercent(1000);
    EXPECT_EQ(linkTimePercent(), 100u);
    EXPECT_EQ(linkWait(3000), 3000u);
}

TEST(SpeedTable, StepsThroughTheCamerasRates)
{
    EXPECT_EQ(speedIndexOf(57600), 3);
    EXPECT_FALSE(speedIndexOf(20000));
    EXPECT_EQ(nextFasterRate(9600), 19200u);
    EXPECT_FALSE(nextFasterRate(115200));
    EXPECT_FALSE(nextFasterRate(20000));
}

}  // namespace
}  // namespace qm::device
