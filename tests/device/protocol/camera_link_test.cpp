#include <gtest/gtest.h>

#include "device/protocol/link_errors.h"
#include "device/transport/speed_table.h"
#include "tests/device/protocol/link_fixture.h"

namespace qm::device {
namespace {

using test::Bytes;
using test::cameraReply;

Bytes infoData(std::uint8_t first)
{
    Bytes data(65, 0);  // reply byte 4, then the 64 information bytes
    data[0] = first;
    data[1 + 1] = 18;   // model code
    const char firmware[] = "v2.15";
    std::copy(firmware, firmware + 5, data.begin() + 1 + 8);
    return data;
}

Bytes okReply(const Bytes& request) { return cameraReply(request[3], {1}); }

class CameraLinkTest : public test::LinkTest {};

TEST_F(CameraLinkTest, StatusReplyGivesTheStatusByte)
{
    Bytes answer{0x40, 0x03, 0x00, 0x81, 0x01, 0x82};
    auto& transport = open([&](const Bytes&) { return answer; });
    std::uint8_t status = 0;
    ASSERT_TRUE(link.getStatus(&status));
    EXPECT_EQ(status, 1);
    EXPECT_EQ(transport.requests().back(), (Bytes{0x40, 0x00, 0x02, 0x01, 0x01}));

    answer[5] = 0x83;
    sys::SetLastError(12345);
    EXPECT_FALSE(link.getStatus(&status));
    EXPECT_EQ(sys::GetLastError(), 0u);  // a bad reply leaves no error code
}

TEST_F(CameraLinkTest, EveryCommandIsFramedAsTheCameraExpects)
{
    auto& transport = open(okReply);
    const unsigned purgesBefore = transport.purges();
    const auto last = [&] { return transport.requests().back(); };

    ASSERT_TRUE(link.setParameter(2, 1));
    EXPECT_EQ(last(), (Bytes{0x40, 0x00, 0x09, 0x03, 0x02, 0x01, 0, 0, 0, 0, 0, 0x06}));
    ASSERT_TRUE(link.setDateTime({101, 12, 31, 23, 59, 58}));
    EXPECT_EQ(last(), (Bytes{0x40, 0x00, 0x09, 0x03, 0x05, 101, 12, 31, 23, 59, 58, 0x24}));
    ASSERT_TRUE(link.setSpeed(4));
    EXPECT_EQ(last(), (Bytes{0x40, 0x00, 0x03, 0x04, 0x04, 0x08}));
    ASSERT_TRUE(link.erase(0));
    EXPECT_EQ(last(), (Bytes{0x40, 0x00, 0x04, 0x09, 0x00, 0x00, 0x09}));
    ASSERT_TRUE(link.erase(0x0102));
    EXPECT_EQ(last(), (Bytes{0x40, 0x00, 0x04, 0x09, 0x02, 0x01, 0x0C}));
    ASSERT_TRUE(link.capture());
    EXPECT_EQ(last(), (Bytes{0x40, 0x00, 0x02, 0x0A, 0x0A}));
    ASSERT_TRUE(link.beginUpload(0x01020304));
    Bytes upload{0x40, 0x00, 0x42, 0x0B, 1, 1, 0, 0x20, 0x04, 0x03, 0x02, 0x01};
    upload.resize(3 + 66 - 1, 0);
    upload.push_back(std::uint8_t(0x0B + 1 + 1 + 0x20 + 4 + 3 + 2 + 1));
    EXPECT_EQ(last(), upload);
    EXPECT_EQ(transport.purges() - purgesBefore, 7u);  // every command starts with a purge
}

TEST_F(CameraLinkTest, CameraInfoIsCopiedAndRefreshesModelAndFirmware)
{
    Bytes reply = cameraReply(0x02, infoData(0));  // reply byte 4 is not checked
    auto& transport = open([&](const Bytes&) { return reply; });
    CameraInfo info;
    ASSERT_TRUE(link.getCameraInfo(info));
    EXPECT_EQ(transport.requests().back(), (Bytes{0x40, 0x00, 0x02, 0x02, 0x02}));
    EXPECT_EQ(info.modelCode(), 18);
    EXPECT_EQ(link.modelCode(), 18);
    EXPECT_EQ(link.firmwareVersion(), 215);

    // Length 66 with a good checksum (and a 70th byte so the read is full).
    Bytes data = infoData(1);
    data.pop_back();
    reply = cameraReply(0x02, data);
    reply.push_back(0);
    ASSERT_EQ(reply.size(), 70u);
    EXPECT_FALSE(link.getCameraInfo(info));
}

TEST_F(CameraLinkTest, PictureInfoNeedsStatusDone)
{
    Bytes data(65, 0x5A);
    data[0] = 1;
    Bytes reply = cameraReply(0x05, data);
    auto& transport = open([&](const Bytes&) { return reply; });
    PictureInfo info;
    ASSERT_TRUE(link.getPictureInfo(0x0203, info));
    EXPECT_EQ(transport.requests().back(), (Bytes{0x40, 0x00, 0x04, 0x05, 0x03, 0x02, 0x0A}));
    EXPECT_EQ(info.bytes[63], 0x5A);
    data[0] = 0;
    reply = cameraReply(0x05, data);
    EXPECT_FALSE(link.getPictureInfo(1, info));
}

TEST_F(CameraLinkTest, ActionsFailWhenTheCameraRefuses)
{
    open([](const Bytes& request) { return cameraReply(request[3], {0}); });
    EXPECT_FALSE(link.setParameter(0, 1));
    EXPECT_FALSE(link.setSpeed(1));
    EXPECT_FALSE(link.erase(3));
    EXPECT_FALSE(link.capture());
    EXPECT_FALSE(link.beginUpload(100));
    std::uint8_t status = 7;
    EXPECT_TRUE(link.getStatus(&status));  // a busy camera still answers
    EXPECT_EQ(status, 0);
}

TEST_F(CameraLinkTest, ChannelFailuresLeaveTheirErrorCode)
{
    auto& transport = open(okReply);
    transport.readResults = {-1};
    EXPECT_FALSE(link.capture());
    EXPECT_EQ(sys::GetLastError(), LINK_ERR_IO);
    transport.readResults = {0};
    EXPECT_FALSE(link.capture());
    EXPECT_EQ(sys::GetLastError(), LINK_ERR_NO_DATA);
    transport.readResults = {3};
    EXPECT_FALSE(link.capture());
    EXPECT_EQ(sys::GetLastError(), LINK_ERR_UNEXPECTED);
    transport.readResults = {1};  // a single byte is no exception for commands
    EXPECT_FALSE(link.capture());
    EXPECT_EQ(sys::GetLastError(), LINK_ERR_UNEXPECTED);

    transport.writeResults = {-1};
    EXPECT_FALSE(link.capture());
    EXPECT_EQ(sys::GetLastError(), LINK_ERR_IO);
    transport.writeResults = {0};
    EXPECT_FALSE(link.capture());
    EXPECT_EQ(sys::GetLastError(), LINK_ERR_NOTHING_WRITTEN);
    transport.writeResults = {2};  // a request cut short
    const unsigned readsBefore = transport.reads();
    EXPECT_FALSE(link.capture());
    EXPECT_EQ(sys::GetLastError(), LINK_ERR_IO);
    EXPECT_EQ(transport.reads(), readsBefore);  // no reply is awaited

    ASSERT_TRUE(link.capture());  // the next command starts clean
    EXPECT_EQ(sys::GetLastError(), 0u);
}

TEST_F(CameraLinkTest, RepliesNeverOverrunTheirBuffers)
{
    auto& transport = open([](const Bytes& request) {
        // A camera babbling far more than any reply holds.
        Bytes flood = cameraReply(request[3], Bytes(2000, 1));
        return flood;
    });
    CameraInfo info;
    EXPECT_FALSE(link.getCameraInfo(info));
    EXPECT_FALSE(link.capture());
    EXPECT_LE(transport.largestRead(), 70u);
}

// A transport whose Open exercises the link's speed callback and reports
// search positions.
class SearchingTransport : public test::ScriptedTransport {
public:
    using ScriptedTransport::ScriptedTransport;
    bool Open(ProbeCallback probe, SpeedCallback speed, void* user) override
    {
        reportPosition(25);
        unknownRateResult = speed(user, 20000);
        requestsAfterUnknownRate = requests().size();
        knownRateResult = speed(user, 57600);
        reportPosition(26);
        return ScriptedTransport::Open(probe, speed, user);
    }
    int unknownRateResult = -1;
    int knownRateResult = -1;
    std::size_t requestsAfterUnknownRate = 99;
};

TEST_F(CameraLinkTest, OpenHandsTheTransportProbeSpeedAndPositionCallbacks)
{
    link.setProgressCallback(&test::recordProgress);
    auto transport = std::make_unique<SearchingTransport>(okReply);
    SearchingTransport& raw = *transport;
    ASSERT_TRUE(link.openWith(std::move(transport)));
    EXPECT_EQ(raw.unknownRateResult, 0);
    EXPECT_EQ(raw.requestsAfterUnknownRate, 0u);  // an unknown rate sends nothing
    EXPECT_EQ(raw.knownRateResult, 1);
    EXPECT_EQ(raw.requests()[0], (Bytes{0x40, 0x00, 0x03, 0x04, 0x03, 0x07}));
    EXPECT_EQ(raw.requests()[1], (Bytes{0x40, 0x00, 0x02, 0x01, 0x01}));
    EXPECT_EQ(test::recordedProgress(),
              (std::vector<test::ProgressEvent>{{CMD_STATUS, kProgressDone, 25}, {CMD_STATUS, kProgressDone, 26}}));
    EXPECT_TRUE(link.isOpen());
    EXPECT_TRUE(link.Close());
    EXPECT_FALSE(link.isOpen());
    EXPECT_TRUE(link.Close());
}

TEST_F(CameraLinkTest, ATransportThatFindsNoCameraIsDropped)
{
    auto transport = std::make_unique<test::ScriptedTransport>([](const Bytes&) { return Bytes{}; });
    EXPECT_FALSE(link.openWith(std::move(transport)));
    EXPECT_FALSE(link.isOpen());
    EXPECT_FALSE(link.capture());  // commands on a closed link fail quietly
    EXPECT_FALSE(link.openWith(nullptr));
}

}  // namespace
}  // namespace qm::device
