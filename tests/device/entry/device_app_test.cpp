#include "device/entry/device_app.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "common/config/kvb_config.h"
#include "platform/system/byte_order.h"
#include "tests/device/entry/fake_session.h"
#include "tests/support/windows_dir.h"

namespace qm::device {
namespace {

using test::FakeSession;
using test::script;

void ignoreProgress(std::uint32_t, std::uint32_t, std::uint32_t) {}

class DeviceAppTest : public ::testing::Test {
protected:
    DeviceAppTest() { script() = {}; }

    std::uint8_t call(std::uint32_t type, std::uint32_t code, void* out = nullptr, void* data = nullptr)
    {
        return app.driverEntry(type, &code, out, data);
    }

    void connectOnce()
    {
        script().openResults = {kDriverSuccess};
        std::uint32_t count = 0;
        ASSERT_EQ(app.driverEntry(kTypeConnect, nullptr, &count, reinterpret_cast<void*>(&ignoreProgress)),
                  kDriverSuccess);
        script().log.clear();
    }

    qm::test::WindowsDir windows;
    DeviceApp app{{&FakeSession<0>::classRecord}, SessionTiming()};
};

TEST_F(DeviceAppTest, UnknownTypesAreUnsupportedAndAMissingSubCodeFails)
{
    EXPECT_EQ(call(0, 1), kDriverUnsupported);
    EXPECT_EQ(call(11, 1), kDriverUnsupported);
    EXPECT_EQ(call(0xFFFFFFFF, 1), kDriverUnsupported);
    EXPECT_EQ(app.driverEntry(kTypeStatus, nullptr, nullptr, nullptr), kDriverFailure);
}

TEST_F(DeviceAppTest, WithoutASessionOnlyTheSessionFreeCallsWork)
{
    std::uint32_t value = 0;
    for (std::uint32_t type : {2u, 5u, 6u, 7u, 8u, 9u})
        EXPECT_EQ(call(type, 1, &value, &value), kDriverNoSession) << type;
    EXPECT_EQ(app.lastCheckStatus(), kDriverNoSession);
    EXPECT_EQ(call(kTypeReadValue, kReadModelCode, &value), kDriverFailure);
    EXPECT_EQ(call(kTypeSetValue, kSetFlashMode, &value), kDriverFailure);
    EXPECT_EQ(call(kTypeAction, kActionNothing), kDriverSuccess);

    // The speed preference needs no camera.
    ASSERT_EQ(call(kTypeReadValue, kReadPreferredSpeed, &value), kDriverSuccess);
    EXPECT_EQ(value, 115200u);
    std::uint32_t rate = 38400;
    ASSERT_EQ(call(kTypeSetValue, kSetPreferredSpeed, &rate), kDriverSuccess);
    EXPECT_EQ(config::readInt("Baud Rate Speeding", "Baud Rate Mode", 0), 38400);
    ASSERT_EQ(call(kTypeReadValue, kReadPreferredSpeed, &value), kDriverSuccess);
    EXPECT_EQ(value, 38400u);
    EXPECT_EQ(call(kTypeReadValue, kReadPreferredSpeed, nullptr), kDriverFailure);

    std::vector<std::uint8_t> record(1024);
    std::uint32_t length = 1024;
    ASSERT_EQ(call(kTypeDescription, kDescribeDriver, record.data(), &length), kDriverSuccess);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(record.data() + 2)), "Digital Still Camera Driver");
    EXPECT_EQ(call(kTypeDescription, 3, record.data(), &length), kDriverUnsupported);
    EXPECT_EQ(call(kTypeDescription, kDescribeDriver, record.data(), nullptr), kDriverFailure);
    EXPECT_TRUE(script().log.empty());
}

TEST_F(DeviceAppTest, ConnectOpensASessionWithTheCallersArguments)
{
    std::uint32_t count = 0;
    std::uint32_t windowHandle = 0xABCD;
    script().openResults = {kDriverFailure};
    EXPECT_EQ(app.driverEntry(kTypeConnect, &windowHandle, &count, nullptr), kDriverFailure);
    EXPECT_FALSE(app.connected());
    EXPECT_EQ(app.session(), nullptr);

    script().openResults = {kDriverSuccess};
    ASSERT_EQ(app.driverEntry(kTypeConnect, &windowHandle, &count, reinterpret_cast<void*>(&ignoreProgress)),
              kDriverSuccess);
    EXPECT_TRUE(app.connected());
    EXPECT_EQ(count, 7u);
    const auto* session = static_cast<const FakeSession<0>*>(app.session());
    EXPECT_EQ(session->lastCode, &windowHandle);
    EXPECT_EQ(session->lastProgress, &ignoreProgress);
}

TEST_F(DeviceAppTest, EveryTypeReachesItsGroupAndTheResultIsKept)
{
    connectOnce();
    script().onOperation = [](std::uint32_t type, std::uint32_t code, void*, void*) {
        return std::uint8_t(type == 3 && code == 9 ? kDriverFailure : kDriverSuccess);
    };
    std::uint32_t value = 0;
    EXPECT_EQ(call(kTypeStatus, 3, &value), kDriverSuccess);
    EXPECT_EQ(call(kTypeReadValue, 9, &value), kDriverFailure);
    EXPECT_EQ(app.lastResult(), kDriverFailure);
    EXPECT_EQ(call(kTypeSetValue, 1, &value), kDriverSuccess);
    EXPECT_EQ(call(kTypeSize, 2, &value, &value), kDriverSuccess);
    EXPECT_EQ(call(kTypePictureAttribute, 4, &value, &value), kDriverSuccess);
    EXPECT_EQ(call(kTypeAction, 5), kDriverSuccess);
    EXPECT_EQ(app.lastResult(), kDriverSuccess);
    // With a session the speed preference is the session's business.
    EXPECT_EQ(call(kTypeReadValue, kReadPreferredSpeed, &value), kDriverSuccess);
    EXPECT_EQ(script().log,
              (std::vector<std::string>{"0:2/3", "0:3/9", "0:4/1", "0:5/2", "0:6/4", "0:8/5", "0:3/21"}));

    // The reserved group answers 0 from the base session, outside it 5.
    for (std::uint32_t code = 1; code <= 6; ++code)
        EXPECT_EQ(call(kTypeReserved, code), kDriverFailure) << code;
    EXPECT_EQ(call(kTypeReserved, 7), kDriverUnsupported);
}

TEST_F(DeviceAppTest, CallsFromInsideAnOperationAreRefusedAsBusy)
{
    connectOnce();
    std::vector<std::uint8_t> inner;
    script().onOperation = [&](std::uint32_t type, std::uint32_t code, void*, void*) {
        if (type == kTypeAction && code == kActionGetPicture) {
            std::uint32_t value = 0;
            std::vector<std::uint8_t> record(1024);
            std::uint32_t length = 1024;
            inner.push_back(call(kTypeStatus, kStatusCameraAnswers));
            inner.push_back(call(kTypeReadValue, kReadPreferredSpeed, &value));
            inner.push_back(call(kTypeDisconnect, 0));
            inner.push_back(app.driverEntry(kTypeConnect, nullptr, &value, nullptr));
            inner.push_back(call(kTypeAction, kActionNothing));
            inner.push_back(call(kTypeDescription, kDescribeDriver, record.data(), &length));
        }
        return std::uint8_t(kDriverSuccess);
    };
    EXPECT_EQ(call(kTypeAction, kActionGetPicture), kDriverSuccess);
    EXPECT_EQ(inner, (std::vector<std::uint8_t>{4, 4, 4, 4, 1, 1}));
    EXPECT_EQ(script().log, (std::vector<std::string>{"0:8/2"}));
    EXPECT_FALSE(app.session()->busy());
    EXPECT_EQ(call(kTypeStatus, kStatusCameraAnswers), kDriverSuccess);
}

TEST_F(DeviceAppTest, TheBusyFlagIsClearedWhenAnOperationThrows)
{
    connectOnce();
    script().onOperation = [](std::uint32_t, std::uint32_t, void*, void*) -> std::uint8_t {
        throw std::bad_alloc();
    };
    EXPECT_THROW(call(kTypeAction, kActionGetPicture), std::bad_alloc);
    EXPECT_FALSE(app.session()->busy());
}

TEST_F(DeviceAppTest, DisconnectClosesAndDestroysTheSession)
{
    connectOnce();
    EXPECT_EQ(call(kTypeDisconnect, 0), kDriverSuccess);
    EXPECT_EQ(script().log, (std::vector<std::string>{"close 0"}));
    EXPECT_EQ(script().alive, 0);
    EXPECT_FALSE(app.connected());
    EXPECT_EQ(call(kTypeStatus, kStatusCameraAnswers), kDriverNoSession);
    EXPECT_EQ(call(kTypeDisconnect, 0), kDriverNoSession);
}

TEST_F(DeviceAppTest, AReconnectTriesTheExistingSessionFirstAndKeepsItOnFailure)
{
    connectOnce();
    const CProxy* first = app.session();
    std::uint32_t count = 0;
    script().openResults = {kDriverSuccess};
    EXPECT_EQ(app.driverEntry(kTypeConnect, nullptr, &count, nullptr), kDriverSuccess);
    EXPECT_EQ(app.session(), first);
    EXPECT_EQ(script().log, (std::vector<std::string>{"open 0"}));

    // Neither the old session nor a new one opens: the old one stays.
    script().log.clear();
    script().openResults = {kDriverFailure, kDriverFailure};
    EXPECT_EQ(app.driverEntry(kTypeConnect, nullptr, &count, nullptr), kDriverFailure);
    EXPECT_EQ(script().log, (std::vector<std::string>{"open 0", "open 0"}));
    EXPECT_FALSE(app.connected());
    EXPECT_EQ(app.session(), first);
    EXPECT_EQ(script().alive, 1);
    EXPECT_EQ(call(kTypeStatus, kStatusCameraAnswers), kDriverNoSession);

    // The old one fails again but a fresh one opens and replaces it.
    script().log.clear();
    script().openResults = {kDriverFailure, kDriverSuccess};
    EXPECT_EQ(app.driverEntry(kTypeConnect, nullptr, &count, nullptr), kDriverSuccess);
    EXPECT_TRUE(app.connected());
    EXPECT_EQ(script().alive, 1);
}

TEST_F(DeviceAppTest, DescriptionsWithASessionDescribeItsCamera)
{
    connectOnce();
    script().facts = SessionFacts{22, true};
    std::vector<std::uint8_t> record(1024);
    std::uint32_t length = 1024;
    ASSERT_EQ(call(kTypeDescription, kDescribeDriver, record.data(), &length), kDriverSuccess);
    EXPECT_EQ(sys::readLe32(record.data() + driver_info::kCapabilities), 0x3FBu);
    std::vector<std::uint8_t> settings(2052);
    length = 2052;
    ASSERT_EQ(call(kTypeDescription, kDescribeSettings, settings.data(), &length), kDriverSuccess);
    EXPECT_EQ(sys::readLe32(settings.data() + settings_description::kEntryCount), 9u);
}

}  // namespace
}  // namespace qm::device
