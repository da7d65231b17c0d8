// Fault scripts and every kind of fault, straight into the camera.
#include <gtest/gtest.h>

#include <chrono>

#include "tests/simulators/stillcam/camera_fixture.h"

namespace qm::stillcam::test {
namespace {

const Bytes kStatusReply = {0x40, 0x03, 0x00, 0x81, 0x01, 0x82};

TEST(StillCameraFaultScript, ParsesKindsCommandsAndOptions)
{
    std::string error;
    auto rules = parseFaultScript(
        "bad-checksum cmd=read-picture block=3  # the third block\n"
        "stall cmd=CMD_STATUS ms=800; wrong-length cmd=0x02 by=+2 times=always\n"
        "short-reply keep=5 skip=2;silent;unplug cmd=capture;no-reply;pipe-stall",
        &error);
    ASSERT_TRUE(rules) << error;
    ASSERT_EQ(rules->size(), 8u);
    EXPECT_EQ((*rules)[0].kind, FaultKind::BadChecksum);
    EXPECT_EQ((*rules)[0].command, CMD_READ_PICTURE);
    EXPECT_EQ((*rules)[0].block, 3u);
    EXPECT_EQ((*rules)[1].command, CMD_STATUS);
    EXPECT_EQ((*rules)[1].durationMs, 800u);
    EXPECT_EQ((*rules)[2].command, CMD_CAMERA_INFO);
    EXPECT_EQ((*rules)[2].lengthDelta, 2);
    EXPECT_EQ((*rules)[2].times, 0u);
    EXPECT_EQ((*rules)[3].keepBytes, 5u);
    EXPECT_EQ((*rules)[3].skip, 2u);
    EXPECT_EQ((*rules)[4].kind, FaultKind::GoSilent);
    EXPECT_EQ((*rules)[5].command, CMD_CAPTURE);
    EXPECT_EQ((*rules)[7].kind, FaultKind::EndpointStall);

    for (const char* bad : {"explode", "stall ms=", "stall cmd=nothing", "stall block=x", "stall colour=red",
                            "bad-checksum cmd=0x0C"}) {
        EXPECT_FALSE(parseFaultScript(bad, &error)) << bad;
        EXPECT_NE(error.find("bad fault entry"), std::string::npos);
    }
    EXPECT_TRUE(parseFaultScript("  ;\n# nothing\n")->empty());

    StillCameraConfig config = testConfig();
    config.faultScript = "stall ms=oops";
    EXPECT_FALSE(StillCamera::create(config, &error));
}

TEST(StillCameraFaults, DamagedRepliesAreDamagedExactly)
{
    auto camera = makeCamera(testConfig());
    camera->injectFault({.kind = FaultKind::BadChecksum, .command = CMD_STATUS});
    EXPECT_EQ(camera->exchange(request({CMD_STATUS})), (Bytes{0x40, 0x03, 0x00, 0x81, 0x01, 0x83}));
    EXPECT_EQ(camera->exchange(request({CMD_STATUS})), kStatusReply);

    // Length 66 with a checksum that matches it, the packet still 70 bytes.
    camera->injectFault({.kind = FaultKind::WrongLength, .command = CMD_CAMERA_INFO});
    const Bytes wrong = camera->exchange(request({CMD_CAMERA_INFO}));
    ASSERT_EQ(wrong.size(), 70u);
    EXPECT_EQ(wrong[1], 66);
    const Reply reply = parseReply(wrong);
    EXPECT_TRUE(reply.valid);
    EXPECT_EQ(reply.length, 66u);

    camera->injectFault({.kind = FaultKind::WrongLength, .command = CMD_STATUS, .lengthDelta = 2});
    const Bytes longer = camera->exchange(request({CMD_STATUS}));
    EXPECT_EQ(longer.size(), 8u);
    EXPECT_EQ(longer[1], 5);

    camera->injectFault({.kind = FaultKind::ShortReply, .command = CMD_CAMERA_INFO});
    EXPECT_EQ(camera->exchange(request({CMD_CAMERA_INFO})).size(), 35u);
    camera->injectFault({.kind = FaultKind::ShortReply, .keepBytes = 4});
    EXPECT_EQ(camera->exchange(request({CMD_STATUS})), (Bytes{0x40, 0x03, 0x00, 0x81}));
    EXPECT_EQ(camera->pendingFaults(), 0u);
}

TEST(StillCameraFaults, RulesMatchTheirCommandAndCountSkipsAndTimes)
{
    auto camera = makeCamera(testConfig());
    camera->injectFault({.kind = FaultKind::NoReply, .command = CMD_STATUS, .skip = 1, .times = 2});
    camera->injectFault({.kind = FaultKind::NoReply, .command = CMD_CAPTURE});
    EXPECT_EQ(camera->exchange(request({CMD_STATUS})), kStatusReply);
    EXPECT_TRUE(camera->exchange(request({CMD_STATUS})).empty());
    EXPECT_TRUE(camera->exchange(request({CMD_STATUS})).empty());
    EXPECT_EQ(camera->exchange(request({CMD_STATUS})), kStatusReply);
    EXPECT_EQ(camera->pendingFaults(), 1u);
    // The capture still happens; only its answer is lost.
    EXPECT_TRUE(camera->exchange(request({CMD_CAPTURE})).empty());
    EXPECT_EQ(camera->pictureCount(), 4u);
    EXPECT_EQ(camera->lastCommand()->fault, FaultKind::NoReply);

    camera->injectFault({.kind = FaultKind::NoReply, .times = 0});
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(camera->exchange(request({CMD_STATUS})).empty());
    camera->clearFaults();
    EXPECT_EQ(camera->exchange(request({CMD_STATUS})), kStatusReply);
}

TEST(StillCameraFaults, SilentCameraTakesNothingUntilResumed)
{
    auto camera = makeCamera(testConfig());
    ASSERT_TRUE(camera->injectFaults("silent cmd=picture-info"));
    EXPECT_EQ(camera->exchange(request({CMD_STATUS})), kStatusReply);
    EXPECT_TRUE(camera->exchange(request({CMD_PICTURE_INFO, 1, 0})).empty());
    EXPECT_TRUE(camera->silent());
    EXPECT_TRUE(camera->exchange(request({CMD_STATUS})).empty());
    EXPECT_TRUE(camera->exchange(request({CMD_ERASE, 1, 0})).empty());
    camera->resume();
    EXPECT_EQ(camera->exchange(request({CMD_STATUS})), kStatusReply);
    EXPECT_EQ(camera->pictureCount(), 3u);  // the erase was never heard
}

TEST(StillCameraFaults, StallHoldsTheReplyBackAndUnplugTellsTheListener)
{
    auto camera = makeCamera(testConfig());
    camera->injectFault({.kind = FaultKind::Stall, .durationMs = 60});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(camera->exchange(request({CMD_STATUS})), kStatusReply);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(60));

    bool unplugged = false;
    camera->setUnplugListener([&] { unplugged = true; });
    camera->injectFault({.kind = FaultKind::Unplug});
    EXPECT_TRUE(camera->exchange(request({CMD_STATUS})).empty());
    EXPECT_TRUE(unplugged);
}

}  // namespace
}  // namespace qm::stillcam::test
