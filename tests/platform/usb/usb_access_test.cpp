#include <gtest/gtest.h>

#include "platform/system/byte_order.h"
#include "platform/usb/cable_server.h"
#include "platform/usb/cable_wire.h"
#include "platform/usb/usb_access.h"
#include "platform/usb/virtual_cable.h"
#include "tests/platform/usb/scripted_usb_device.h"
#include "tests/support/temp_dir.h"

namespace qm::usb {
namespace {

using Packet = test::ScriptedUsbDevice::Packet;

HANDLE openDriver()
{
    return CreateFile(kDriverDeviceName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                      FILE_FLAG_OVERLAPPED, nullptr);
}

class UsbAccessTest : public ::testing::Test {
protected:
    UsbAccessTest()
        : device(std::make_shared<test::ScriptedUsbDevice>(0x2888)),
          server(cable::CableServer::start(dir.file("usb.sock"), device)),
          env("QM4200_USB", dir.file("usb.sock"))
    {
    }
    void SetUp() override
    {
        ASSERT_TRUE(server);
        driver = openDriver();
        ASSERT_NE(driver, nullptr);
    }
    void TearDown() override
    {
        if (deviceHandle != 0) {
            DeviceRecord record{deviceHandle};
            UnregisterDevice(driver, &record);
        }
        CloseHandle(driver);
    }

    DWORD registerFirst(WORD product = 0x2888)
    {
        ScanRecord scan;
        scan.vendorId = 0x0784;
        scan.productId = product;
        EXPECT_TRUE(ScanDevices(driver, &scan));
        if (scan.deviceCount == 0)
            return 0;
        RegisterRecord record;
        record.uniqueId = scan.devices[0].uniqueId;
        EXPECT_TRUE(RegisterDevice(driver, &record));
        deviceRecordInfo.assign(record.deviceInfo, record.deviceInfo + kDeviceInfoSize);
        deviceHandle = record.deviceHandle;
        return deviceHandle;
    }

    TransferRecord transfer(HANDLE through, DWORD pipe, bool read, std::uint8_t* buffer, DWORD length,
                            DWORD timeoutMs)
    {
        TransferRecord record;
        record.deviceHandle = deviceHandle;
        record.pipe = pipe;
        record.read = read ? 1 : 0;
        record.buffer = buffer;
        record.length = length;
        record.timeoutMs = timeoutMs;
        EXPECT_TRUE(Transfer(through, &record));
        return record;
    }

    test::TempDir dir;
    std::shared_ptr<test::ScriptedUsbDevice> device;
    std::unique_ptr<cable::CableServer> server;
    test::ScopedEnv env;
    HANDLE driver = nullptr;
    DWORD deviceHandle = 0;
    std::vector<std::uint8_t> deviceRecordInfo;
};

TEST_F(UsbAccessTest, TheDriverReportsAVersionAboveTheOldestUsable)
{
    VersionRecord version;
    ASSERT_TRUE(QueryVersion(driver, &version));
    EXPECT_GT(version.version, 432u);
    EXPECT_EQ(CreateFile("\\\\.\\OTHER", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), nullptr);
}

TEST_F(UsbAccessTest, ScanFindsOnlyTheMatchingProduct)
{
    ScanRecord scan;
    scan.vendorId = 0x0784;
    scan.productId = 0x2620;
    ASSERT_TRUE(ScanDevices(driver, &scan));
    EXPECT_EQ(scan.deviceCount, 0u);
    ASSERT_NE(registerFirst(0x2888), 0u);
    EXPECT_EQ(sys::readLe16(&deviceRecordInfo[0]), 0x0784);
    EXPECT_EQ(sys::readLe16(&deviceRecordInfo[2]), 0x2888);
}

TEST_F(UsbAccessTest, ARegisteredDeviceIsStillFoundByAScan)
{
    ASSERT_NE(registerFirst(), 0u);
    ScanRecord scan;
    scan.vendorId = 0x0784;
    scan.productId = 0x2888;
    ASSERT_TRUE(ScanDevices(driver, &scan));
    EXPECT_EQ(scan.deviceCount, 1u);
}

TEST_F(UsbAccessTest, ResetsReachTheDevice)
{
    ASSERT_NE(registerFirst(), 0u);
    DeviceRecord reset{deviceHandle};
    PipeRecord out{deviceHandle, 3};
    PipeRecord in{deviceHandle, 0x84};
    EXPECT_TRUE(ResetDevice(driver, &reset));
    EXPECT_TRUE(ResetPipe(driver, &out));
    EXPECT_TRUE(ResetPipe(driver, &in));
    EXPECT_EQ(device->resets(), (std::vector<std::uint8_t>{0, 3, 0x84}));
}

TEST_F(UsbAccessTest, BulkPacketsKeepTheirBoundariesOnAnyDriverHandle)
{
    ASSERT_NE(registerFirst(), 0u);
    Packet sent(64);
    for (std::size_t i = 0; i < sent.size(); ++i)
        sent[i] = std::uint8_t(i);
    // A short-lived handle per transfer, as the camera transport uses them.
    HANDLE once = openDriver();
    const TransferRecord write = transfer(once, 3, false, sent.data(), 64, 0);
    CloseHandle(once);
    EXPECT_EQ(write.succeeded, 1u);
    EXPECT_EQ(write.bytesTransferred, 64u);
    EXPECT_EQ(device->outPackets(), std::vector<Packet>{sent});

    device->queueIn({1, 2, 3});
    std::uint8_t buffer[64] = {};
    const TransferRecord read = transfer(driver, 0x84, true, buffer, 64, 1000);
    EXPECT_EQ(read.succeeded, 1u);
    EXPECT_EQ(read.bytesTransferred, 3u);
    EXPECT_EQ(buffer[2], 3);
}

TEST_F(UsbAccessTest, FailedTransfersReportNoSuccess)
{
    ASSERT_NE(registerFirst(), 0u);
    std::uint8_t buffer[64];
    const TransferRecord timedOut = transfer(driver, 0x84, true, buffer, 64, 20);
    EXPECT_EQ(timedOut.succeeded, 0u);
    EXPECT_EQ(timedOut.bytesTransferred, 0u);

    device->stallNextIn();
    device->queueIn({9});
    EXPECT_EQ(transfer(driver, 0x84, true, buffer, 64, 1000).succeeded, 0u);
    // The queued packet is still there for the next read.
    EXPECT_EQ(transfer(driver, 0x84, true, buffer, 64, 1000).bytesTransferred, 1u);
}

TEST_F(UsbAccessTest, UnregisteredAndUnknownDevicesAreRefused)
{
    ASSERT_NE(registerFirst(), 0u);
    DeviceRecord record{deviceHandle};
    ASSERT_TRUE(UnregisterDevice(driver, &record));
    std::uint8_t buffer[64];
    TransferRecord stale;
    stale.deviceHandle = deviceHandle;
    stale.pipe = 0x84;
    stale.read = 1;
    stale.buffer = buffer;
    stale.length = 64;
    EXPECT_FALSE(Transfer(driver, &stale));
    EXPECT_EQ(sys::GetLastError(), sys::ERROR_INVALID_HANDLE);
    EXPECT_FALSE(UnregisterDevice(driver, &record));
    deviceHandle = 0;

    RegisterRecord bogus;
    bogus.uniqueId = 77;
    EXPECT_FALSE(RegisterDevice(driver, &bogus));
    EXPECT_EQ(bogus.deviceHandle, 0u);
}

TEST_F(UsbAccessTest, AnUnpluggedDeviceFailsTransfersWithoutHanging)
{
    ASSERT_NE(registerFirst(), 0u);
    server.reset();
    std::uint8_t buffer[64] = {};
    EXPECT_EQ(transfer(driver, 0x84, true, buffer, 64, 0).succeeded, 0u);
    EXPECT_EQ(transfer(driver, 3, false, buffer, 64, 0).succeeded, 0u);
    ScanRecord scan;
    scan.vendorId = 0x0784;
    scan.productId = 0x2888;
    ASSERT_TRUE(ScanDevices(driver, &scan));
    EXPECT_EQ(scan.deviceCount, 0u);
}

TEST(UsbCable, MalformedDatagramsAreRejected)
{
    const auto request = cable::encodeRequest({cable::Op::BulkOut, 3, 4, 0}, std::vector<std::uint8_t>{1, 2, 3, 4});
    ASSERT_TRUE(cable::decodeRequest(request));
    // A payload that disagrees with its announced length.
    EXPECT_FALSE(cable::decodeRequest(std::span(request).first(request.size() - 1)));
    EXPECT_FALSE(cable::decodeRequest(std::span(request).first(10)));
    auto huge = cable::encodeRequest({cable::Op::BulkIn, 0x84, std::uint32_t(cable::kMaxPayload + 1), 0});
    EXPECT_FALSE(cable::decodeRequest(huge));
    auto reply = cable::encodeReply({cable::kStatusOk, 0xFFFFFFFF});
    EXPECT_FALSE(cable::decodeReply(reply));
}

TEST(UsbAccess, WithoutACableNoDeviceIsFound)
{
    test::TempDir dir;
    test::ScopedEnv env("QM4200_USB", dir.file("nobody-listens.sock"));
    HANDLE driver = openDriver();
    ASSERT_NE(driver, nullptr);
    ScanRecord scan;
    scan.vendorId = 0x0784;
    scan.productId = 0x2620;
    ASSERT_TRUE(ScanDevices(driver, &scan));
    EXPECT_EQ(scan.deviceCount, 0u);
    EXPECT_TRUE(CloseHandle(driver));
    EXPECT_FALSE(CloseHandle(driver));
    EXPECT_FALSE(ScanDevices(driver, &scan));
}

TEST(UsbAccess, WithoutTheVariableTheDefaultCableIsUsedOnlyWhileServed)
{
    test::TempDir dir;
    test::ScopedEnv tmp("TMPDIR", dir.path());
    test::ScopedEnv none("QM4200_USB", std::nullopt);
    const std::string socket = dir.file("qm4200-usb");
    EXPECT_EQ(cable::defaultCablePath(), socket);
    EXPECT_EQ(cable::cableInUse(), "") << "nobody serves it: real devices";

    auto device = std::make_shared<test::ScriptedUsbDevice>(0x2888);
    {
        auto server = cable::CableServer::start(socket, device);
        ASSERT_TRUE(server);
        EXPECT_EQ(cable::cableInUse(), socket);
        HANDLE driver = openDriver();
        ASSERT_NE(driver, nullptr);
        ScanRecord scan;
        scan.vendorId = 0x0784;
        scan.productId = 0x2888;
        ASSERT_TRUE(ScanDevices(driver, &scan));
        EXPECT_EQ(scan.deviceCount, 1u) << "the simulated camera is found without QM4200_USB";
        CloseHandle(driver);
    }
    EXPECT_EQ(cable::cableInUse(), "");

    // The variable names the cable whether or not anything serves it.
    test::ScopedEnv named("QM4200_USB", dir.file("elsewhere.sock"));
    EXPECT_EQ(cable::defaultCablePath(), dir.file("elsewhere.sock"));
    EXPECT_EQ(cable::cableInUse(), dir.file("elsewhere.sock"));
}

}  // namespace
}  // namespace qm::usb
