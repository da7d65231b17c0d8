#include <gtest/gtest.h>

#include <termios.h>

#include <chrono>
#include <future>
#include <thread>

#include "platform/comm/comm.h"
#include "platform/comm/port_names.h"
#include "platform/comm/read_plan.h"
#include "tests/platform/comm/pty_line.h"
#include "tests/support/windows_dir.h"

namespace qm::comm {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

TEST(PortNames, AcceptsThePlatformsSpellings)
{
    EXPECT_EQ(portNumber("COM2"), 2u);
    EXPECT_EQ(portNumber("COM2:"), 2u);
    EXPECT_EQ(portNumber("com4:"), 4u);
    EXPECT_EQ(portNumber("\\\\.\\COM3"), 3u);
    EXPECT_EQ(portNumber("COM0"), std::nullopt);
    EXPECT_EQ(portNumber("COM"), std::nullopt);
    EXPECT_EQ(portNumber("COM2::"), std::nullopt);
    EXPECT_EQ(portNumber("LPT1"), std::nullopt);
    EXPECT_EQ(portNumber("COMx"), std::nullopt);
}

TEST(PortNames, ResolveThroughTheDosDevicesEntryElseTheMachinesPort)
{
    test::WindowsDir windows;
    EXPECT_EQ(devicePathForPort(3), "/dev/ttyS2");
    test::publishAbsentPort(3);
    EXPECT_EQ(devicePathForPort(3), windows.path() + "/dosdevices/com3");
    // A mapped port whose device is gone is absent, not the machine's port.
    EXPECT_EQ(CreateFile("COM3", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(sys::GetLastError(), sys::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(CreateFile("PRN", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
}

TEST(ReadPlan, FollowsThePlatformsTimeoutRules)
{
    const ReadPlan atOnce = planRead({MAXDWORD, 0, 0, 0, 0}, 10);
    EXPECT_TRUE(atOnce.returnWhatIsThere);

    const ReadPlan transport = planRead({MAXDWORD, 2, 500, 0, 0}, 6);
    EXPECT_FALSE(transport.returnWhatIsThere);
    EXPECT_TRUE(transport.returnIfAnyThere);
    EXPECT_FALSE(transport.oneByteEnds);
    EXPECT_EQ(transport.totalMs, 512u);
    EXPECT_FALSE(transport.intervalMs);

    const ReadPlan firstByte = planRead({MAXDWORD, MAXDWORD, 300, 0, 0}, 6);
    EXPECT_TRUE(firstByte.oneByteEnds);
    EXPECT_EQ(firstByte.totalMs, 300u);

    const ReadPlan interval = planRead({40, 0, 0, 0, 0}, 6);
    EXPECT_EQ(interval.intervalMs, 40u);
    EXPECT_FALSE(interval.totalMs);

    const ReadPlan large = planRead({0, MAXDWORD - 1, MAXDWORD - 1, 0, 0}, 0xFFFFFFFF);
    EXPECT_GT(*large.totalMs, std::uint64_t(MAXDWORD));  // no 32-bit wrap

    const ReadPlan none = planRead({}, 6);
    EXPECT_FALSE(none.totalMs || none.intervalMs || none.returnWhatIsThere || none.returnIfAnyThere);

    EXPECT_FALSE(writeLimitMs({}, 100));
    EXPECT_EQ(writeLimitMs({0, 0, 0, 3, 7}, 10), 37u);
}

class CommPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        line.publishAs(2);
        port = CreateFile("COM2:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(port, INVALID_HANDLE_VALUE);
        // Every user of a port sets its line first.
        DCB dcb;
        ASSERT_TRUE(GetCommState(port, &dcb));
        dcb.BaudRate = CBR_9600;
        ASSERT_TRUE(SetCommState(port, &dcb));
    }
    void TearDown() override
    {
        if (port != INVALID_HANDLE_VALUE)
            CloseHandle(port);
    }
    void setTimeouts(COMMTIMEOUTS timeouts) { ASSERT_TRUE(SetCommTimeouts(port, &timeouts)); }

    // Reads with the port's time-outs; returns the bytes and the time taken.
    std::pair<Bytes, Clock::duration> timedRead(DWORD count)
    {
        Bytes buffer(count);
        DWORD got = 0;
        const auto start = Clock::now();
        EXPECT_TRUE(ReadFile(port, buffer.data(), count, &got, nullptr));
        const auto took = Clock::now() - start;
        buffer.resize(got);
        return {buffer, took};
    }

    test::WindowsDir windows;
    test::PtyLine line;
    HANDLE port = INVALID_HANDLE_VALUE;
};

TEST_F(CommPortTest, APortHasOneUserAtATime)
{
    EXPECT_EQ(CreateFile("COM2", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(sys::GetLastError(), sys::ERROR_ACCESS_DENIED);
    ASSERT_TRUE(CloseHandle(port));
    EXPECT_FALSE(CloseHandle(port));
    EXPECT_EQ(sys::GetLastError(), sys::ERROR_INVALID_HANDLE);
    port = CreateFile("COM2", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(port, INVALID_HANDLE_VALUE);
}

TEST_F(CommPortTest, LineSettingsReachTheTerminal)
{
    DCB dcb;
    ASSERT_TRUE(GetCommState(port, &dcb));
    dcb.BaudRate = CBR_57600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = 1;
    dcb.fOutxCtsFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    ASSERT_TRUE(SetCommState(port, &dcb));
    EXPECT_EQ(line.hostSpeed(), 57600u);

    termios tio {};
    ASSERT_EQ(tcgetattr(line.deviceFd(), &tio), 0);
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);

    DCB back;
    ASSERT_TRUE(GetCommState(port, &back));
    EXPECT_EQ(back.BaudRate, CBR_57600);
    EXPECT_EQ(back.fDtrControl, DTR_CONTROL_DISABLE);

    dcb.BaudRate = 12345;
    EXPECT_FALSE(SetCommState(port, &dcb));
    EXPECT_EQ(sys::GetLastError(), sys::ERROR_INVALID_PARAMETER);
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 9;
    EXPECT_FALSE(SetCommState(port, &dcb));
    EXPECT_EQ(line.hostSpeed(), 57600u);  // a refused setting changes nothing
}

TEST_F(CommPortTest, ReturnAtOnceTakesOnlyWhatIsThere)
{
    setTimeouts({MAXDWORD, 0, 0, 0, 0});
    EXPECT_TRUE(timedRead(8).first.empty());
    line.send({1, 2, 3});
    ASSERT_TRUE(line.waitUntilHostCanRead(2s));
    EXPECT_EQ(timedRead(8).first, (Bytes{1, 2, 3}));
}

TEST_F(CommPortTest, TotalTimeoutIsMultiplierTimesCountPlusConstant)
{
    setTimeouts({0, 10, 20, 0, 0});
    const auto [bytes, took] = timedRead(3);
    EXPECT_TRUE(bytes.empty());
    EXPECT_GE(took, 50ms);
}

TEST_F(CommPortTest, QueuedBytesEndTheTransportsReadAtOnce)
{
    // The serial transport's setting: anything queued comes back at once,
    // otherwise the whole count is awaited up to 2 ms per byte + 500 ms.
    setTimeouts({MAXDWORD, 2, 500, 0, 0});
    line.send({7, 8});
    ASSERT_TRUE(line.waitUntilHostCanRead(2s));
    const auto [bytes, took] = timedRead(6);
    EXPECT_EQ(bytes, (Bytes{7, 8}));
    EXPECT_LT(took, 400ms);

    setTimeouts({MAXDWORD, 0, 40, 0, 0});
    const auto [none, waited] = timedRead(6);
    EXPECT_TRUE(none.empty());
    EXPECT_GE(waited, 40ms);
}

TEST_F(CommPortTest, AWaitingReadCollectsTheWholeCount)
{
    // A total limit alone: the read gathers pieces until the count is full.
    setTimeouts({0, 0, 10000, 0, 0});
    auto reader = std::async(std::launch::async, [this] { return timedRead(4); });
    line.send({1, 2});
    line.send({3, 4});
    const auto [bytes, took] = reader.get();
    EXPECT_EQ(bytes, (Bytes{1, 2, 3, 4}));
    EXPECT_LT(took, 5s);
}

TEST_F(CommPortTest, FirstByteEndsAReadWithAnInfiniteMultiplier)
{
    setTimeouts({MAXDWORD, MAXDWORD, 20000, 0, 0});
    auto reader = std::async(std::launch::async, [this] { return timedRead(4); });
    line.send({9});
    const auto [bytes, took] = reader.get();
    EXPECT_EQ(bytes, (Bytes{9}));
    EXPECT_LT(took, 10s);
}

TEST_F(CommPortTest, IntervalTimeoutEndsAReadAfterAGap)
{
    setTimeouts({30, 0, 0, 0, 0});
    line.send({5, 6});
    ASSERT_TRUE(line.waitUntilHostCanRead(2s));
    const auto [bytes, took] = timedRead(10);
    EXPECT_EQ(bytes, (Bytes{5, 6}));
    EXPECT_GE(took, 30ms);
}

TEST_F(CommPortTest, PurgeDropsPendingInput)
{
    setTimeouts({MAXDWORD, 0, 0, 0, 0});
    line.send({1, 2, 3, 4});
    ASSERT_TRUE(line.waitUntilHostCanRead(2s));
    ASSERT_TRUE(PurgeComm(port, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR));
    EXPECT_FALSE(line.waitUntilHostCanRead(0ms));
    EXPECT_TRUE(timedRead(4).first.empty());
    EXPECT_FALSE(PurgeComm(port, 0x100));
}

TEST_F(CommPortTest, WritesReachTheDevice)
{
    const Bytes request{0x40, 0x00, 0x02, 0x01, 0x01};
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(port, request.data(), DWORD(request.size()), &written, nullptr));
    EXPECT_EQ(written, request.size());
    EXPECT_EQ(line.receive(request.size(), 2s), request);
}

TEST_F(CommPortTest, QueueSizesAreKept)
{
    ASSERT_TRUE(SetupComm(port, 2048, 2048));
    COMMPROP properties;
    ASSERT_TRUE(GetCommProperties(port, &properties));
    EXPECT_EQ(properties.dwCurrentTxQueue, 2048u);
    EXPECT_GE(properties.dwCurrentRxQueue, 2048u);
    EXPECT_FALSE(SetupComm(port, 0, 2048));
}

TEST_F(CommPortTest, AHungUpLineEndsReadsAndFailsWrites)
{
    setTimeouts({0, 0, 0, 0, 0});  // would otherwise wait forever
    line.hangUp();
    EXPECT_TRUE(timedRead(4).first.empty());
    const std::uint8_t byte = 1;
    DWORD written = 0;
    EXPECT_FALSE(WriteFile(port, &byte, 1, &written, nullptr));
}

TEST(CommHandles, ForeignHandlesAreRefused)
{
    DCB dcb;
    DWORD count = 0;
    std::uint8_t byte = 0;
    const HANDLE bogus = reinterpret_cast<HANDLE>(std::uintptr_t(0x1234567));
    EXPECT_FALSE(GetCommState(bogus, &dcb));
    EXPECT_FALSE(ReadFile(bogus, &byte, 1, &count, nullptr));
    EXPECT_FALSE(WriteFile(INVALID_HANDLE_VALUE, &byte, 1, &count, nullptr));
    EXPECT_EQ(sys::GetLastError(), sys::ERROR_INVALID_HANDLE);
}

}  // namespace
}  // namespace qm::comm
