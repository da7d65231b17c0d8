// Every command of the camera command protocol, straight into the camera.
#include <gtest/gtest.h>

#include "platform/system/byte_order.h"
#include "tests/simulators/stillcam/camera_fixture.h"
#include "tests/simulators/stillcam/jpeg_check.h"

namespace qm::stillcam::test {
namespace {

Reply ask(StillCamera& camera, std::initializer_list<std::uint8_t> body) { return parseReply(camera.exchange(request(body))); }

TEST(StillCameraCommands, StatusAndCameraInfoAreFramedByteForByte)
{
    auto config = testConfig(16, 4);
    config.serialRate = 19200;
    config.memoryBytes = 8u << 20;
    config.memoryMb = 4;  // byte 2 and bytes 36..39 disagree on purpose
    config.countExtension = 0x01020304;
    auto camera = makeCamera(config);

    EXPECT_EQ(camera->exchange(request({CMD_STATUS})), (Bytes{0x40, 0x03, 0x00, 0x81, 0x01, 0x82}));

    const Bytes raw = camera->exchange(request({CMD_CAMERA_INFO}));
    ASSERT_EQ(raw.size(), 70u);
    const Reply reply = parseReply(raw);
    ASSERT_TRUE(reply.valid);
    EXPECT_EQ(raw[1], 67);  // length low byte first
    EXPECT_EQ(raw[2], 0);
    EXPECT_EQ(reply.code, 0x82);
    const Bytes info = infoOf(reply);
    EXPECT_EQ(info[0], 1);
    EXPECT_EQ(info[1], 16);
    EXPECT_EQ(info[2], 4);
    EXPECT_EQ(std::string(info.begin() + 8, info.begin() + 13), "V3.26");
    EXPECT_EQ(info[13], 0);
    EXPECT_EQ(sys::readLe16(&info[16]), 4);
    EXPECT_GT(sys::readLe16(&info[18]), 0);
    EXPECT_EQ((Bytes{info[20], info[21], info[22], info[23], info[24], info[25]}), (Bytes{101, 6, 15, 12, 30, 0}));
    EXPECT_EQ(info[26], 1);
    EXPECT_EQ(sys::readLe32(&info[28]), 0x01020304u);
    EXPECT_EQ(sys::readLe32(&info[36]), 8u << 20);
}

TEST(StillCameraCommands, YearCodesFollowTheModelAndTheClockRuns)
{
    struct Case {
        std::uint8_t model;
        int year;
        std::uint8_t code;
    };
    for (Case c : {Case{16, 2001, 101}, Case{17, 1999, 99}, Case{18, 2001, 21}, Case{20, 2001, 21},
                   Case{22, 1999, 59}, Case{22, 2001, 1}, Case{32, 2003, 3}}) {
        auto config = testConfig(c.model, 0);
        config.dateTime = CameraDateTime{c.year, 12, 31, 23, 59, 58};
        auto camera = makeCamera(config);
        EXPECT_EQ(camera->cameraInfo()[20], c.code) << int(c.model) << " " << c.year;
        // Setting the same date back by its code gives the same year.
        EXPECT_EQ(ask(*camera, {CMD_SET_PARAMETER, 5, c.code, 2, 28, 8, 0, 0}).data, Bytes{1});
        EXPECT_EQ(camera->dateTime(), (CameraDateTime{c.year, 2, 28, 8, 0, 0}));
    }
    auto config = testConfig(16, 0);
    config.dateTime = CameraDateTime{2000, 2, 28, 23, 59, 30};
    auto camera = makeCamera(config);
    manualClock(config).advance(24 * 3600 * 1000 + 45 * 1000);
    EXPECT_EQ(camera->dateTime(), (CameraDateTime{2000, 3, 1, 0, 0, 15}));  // 2000 is a leap year
}

TEST(StillCameraCommands, SetParameterWritesEachSettingAndRefusesValuesOutOfRange)
{
    auto camera = makeCamera(testConfig());
    EXPECT_EQ(camera->exchange(request({CMD_SET_PARAMETER, 0, 1, 0, 0, 0, 0, 0})),
              (Bytes{0x40, 0x03, 0x00, 0x83, 0x01, 0x84}));
    ASSERT_TRUE(ask(*camera, {CMD_SET_PARAMETER, 1, 1, 0, 0, 0, 0, 0}).data == Bytes{1});
    ASSERT_TRUE(ask(*camera, {CMD_SET_PARAMETER, 2, 0, 0, 0, 0, 0, 0}).data == Bytes{1});
    ASSERT_TRUE(ask(*camera, {CMD_SET_PARAMETER, 3, 0, 0, 0, 0, 0, 0}).data == Bytes{1});
    ASSERT_TRUE(ask(*camera, {CMD_SET_PARAMETER, 4, 2, 0, 0, 0, 0, 0}).data == Bytes{1});
    ASSERT_TRUE(ask(*camera, {CMD_SET_PARAMETER, 6, 10, 0, 0, 0, 0, 0}).data == Bytes{1});
    const auto info = camera->cameraInfo();
    EXPECT_EQ(info[3], 1);   // parameter 0, written back
    EXPECT_EQ(info[7], 1);   // flash mode
    EXPECT_EQ(info[4], 1);   // parameter 1, written back
    EXPECT_EQ(info[32], 1);  // self timer
    EXPECT_EQ(info[27], 0);  // icon display
    EXPECT_EQ(info[33], 0);  // LCD display
    EXPECT_EQ(info[34], 2);  // quality
    EXPECT_EQ(info[5], 10);  // power-off minutes

    const CameraSettings before = camera->settings();
    EXPECT_EQ(ask(*camera, {CMD_SET_PARAMETER, 0, 3, 0, 0, 0, 0, 0}).data, Bytes{0});
    EXPECT_EQ(ask(*camera, {CMD_SET_PARAMETER, 1, 2, 0, 0, 0, 0, 0}).data, Bytes{0});
    EXPECT_EQ(ask(*camera, {CMD_SET_PARAMETER, 7, 0, 0, 0, 0, 0, 0}).data, Bytes{0});
    EXPECT_EQ(ask(*camera, {CMD_SET_PARAMETER, 5, 101, 2, 30, 12, 0, 0}).data, Bytes{0});  // 30 February
    EXPECT_EQ(ask(*camera, {CMD_SET_PARAMETER, 5, 101, 6, 1, 24, 0, 0}).data, Bytes{0});   // hour 24
    EXPECT_EQ(camera->settings(), before);
    EXPECT_EQ(camera->dateTime().day, 15);
}

TEST(StillCameraCommands, SetSpeedAnswersThenChangesTheRate)
{
    auto camera = makeCamera(testConfig());
    EXPECT_EQ(camera->exchange(request({CMD_SET_SPEED, 3})), (Bytes{0x40, 0x03, 0x00, 0x84, 0x01, 0x85}));
    EXPECT_EQ(camera->serialRate(), 57600u);
    EXPECT_EQ(camera->cameraInfo()[26], 3);
    EXPECT_EQ(ask(*camera, {CMD_SET_SPEED, 5}).data, Bytes{0});
    EXPECT_EQ(camera->serialRate(), 57600u);
}

TEST(StillCameraCommands, PictureInfoDescribesEachPictureConsistently)
{
    auto camera = makeCamera(testConfig(18, 2));
    const auto pictures = camera->pictures();
    ASSERT_EQ(pictures.size(), 2u);
    for (const PictureSummary& p : pictures) {
        const Reply reply = ask(*camera, {CMD_PICTURE_INFO, std::uint8_t(p.number), 0});
        ASSERT_TRUE(reply.valid);
        EXPECT_EQ(reply.length, 67u);
        EXPECT_EQ(reply.data[0], 1);
        const Bytes info = infoOf(reply);
        EXPECT_EQ(info[0], 1);
        EXPECT_EQ(sys::readLe32(&info[4]), camera->pictureData(p.number).size());
        EXPECT_EQ(sys::readLe32(&info[12]), p.key);
        EXPECT_EQ(sys::readLe32(&info[18]), camera->thumbnailData(p.number).size());
        EXPECT_EQ(info[22], 2);  // 1024 x 768 on a model 18
        auto size = jpegDimensions(camera->pictureData(p.number));
        EXPECT_EQ(size, std::make_pair(1024, 768));
    }
    EXPECT_NE(pictures[0].key, pictures[1].key);
    const Reply missing = ask(*camera, {CMD_PICTURE_INFO, 3, 0});
    ASSERT_TRUE(missing.valid);
    EXPECT_EQ(missing.length, 67u);
    EXPECT_EQ(missing.data[0], 0);
}

TEST(StillCameraCommands, EraseClosesUpTheNumbers)
{
    auto config = testConfig(16, 4);
    config.workTimes = WorkTimes{.eraseOneMs = 500, .eraseAllMs = 900};
    auto camera = makeCamera(config);
    const Bytes third = camera->pictureData(3), fourth = camera->pictureData(4);

    EXPECT_EQ(camera->exchange(request({CMD_ERASE, 2, 0})), (Bytes{0x40, 0x03, 0x00, 0x89, 0x01, 0x8A}));
    EXPECT_EQ(ask(*camera, {CMD_STATUS}).data, Bytes{2});
    manualClock(config).advance(500);
    EXPECT_EQ(ask(*camera, {CMD_STATUS}).data, Bytes{1});
    EXPECT_EQ(camera->pictureCount(), 3u);
    EXPECT_EQ(camera->pictureData(2), third);
    EXPECT_EQ(camera->pictureData(3), fourth);
    EXPECT_EQ(sys::readLe16(&camera->cameraInfo()[16]), 3);

    EXPECT_EQ(ask(*camera, {CMD_ERASE, 4, 0}).data, Bytes{0});  // no picture 4 any more
    EXPECT_EQ(ask(*camera, {CMD_ERASE, 0, 0}).data, Bytes{1});
    manualClock(config).advance(900);
    EXPECT_EQ(camera->pictureCount(), 0u);
}

TEST(StillCameraCommands, CaptureKeepsTheCameraBusyThenAddsOnePicture)
{
    auto config = testConfig(16, 2);
    config.workTimes = WorkTimes{.captureMs = 3000, .selfTimerMs = 10000};
    auto camera = makeCamera(config);

    EXPECT_EQ(camera->exchange(request({CMD_CAPTURE})), (Bytes{0x40, 0x03, 0x00, 0x8A, 0x01, 0x8B}));
    manualClock(config).advance(2999);
    EXPECT_EQ(ask(*camera, {CMD_STATUS}).data, Bytes{2});
    EXPECT_EQ(infoOf(ask(*camera, {CMD_CAMERA_INFO}))[0], 0);
    EXPECT_EQ(camera->pictureCount(), 2u);
    // A busy camera takes no other work.
    EXPECT_EQ(ask(*camera, {CMD_PICTURE_INFO, 1, 0}).data[0], 0);
    EXPECT_EQ(ask(*camera, {CMD_CAPTURE}).data, Bytes{0});
    EXPECT_TRUE(camera->exchange(firstBlockRequest(CMD_READ_PICTURE, 1)).empty());

    manualClock(config).advance(1);
    EXPECT_EQ(ask(*camera, {CMD_STATUS}).data, Bytes{1});
    ASSERT_EQ(camera->pictureCount(), 3u);
    EXPECT_EQ(jpegDimensions(camera->pictureData(3)), std::make_pair(640, 480));
    EXPECT_EQ(sys::readLe16(&camera->cameraInfo()[16]), 3);

    // The self timer adds its time.
    ASSERT_EQ(ask(*camera, {CMD_SET_PARAMETER, 1, 1, 0, 0, 0, 0, 0}).data, Bytes{1});
    ASSERT_EQ(ask(*camera, {CMD_CAPTURE}).data, Bytes{1});
    manualClock(config).advance(12999);
    EXPECT_TRUE(camera->busy());
    manualClock(config).advance(1);
    EXPECT_EQ(camera->pictureCount(), 4u);
}

TEST(StillCameraCommands, CaptureIsRefusedWhenTheMemoryIsFull)
{
    auto config = testConfig(16, 1);
    config.memoryBytes = 64 * 1024;
    auto camera = makeCamera(config);
    EXPECT_EQ(sys::readLe16(&camera->cameraInfo()[18]), 0);
    EXPECT_EQ(ask(*camera, {CMD_CAPTURE}).data, Bytes{0});
    EXPECT_EQ(camera->pictureCount(), 1u);
}

TEST(StillCameraCommands, MalformedRequestsGetNoAnswer)
{
    auto camera = makeCamera(testConfig());
    Bytes badSum = request({CMD_STATUS});
    badSum.back() ^= 1;
    Bytes wrongLength = request({CMD_STATUS, 0});
    EXPECT_TRUE(camera->exchange(badSum).empty());
    EXPECT_TRUE(camera->exchange(wrongLength).empty());
    EXPECT_TRUE(camera->exchange(request({0x0C})).empty());
    EXPECT_TRUE(camera->exchange(Bytes{0x40, 0x00}).empty());
    const auto log = camera->commandLog();
    ASSERT_EQ(log.size(), 4u);
    for (const CommandRecord& record : log) {
        EXPECT_FALSE(record.wellFormed);
        EXPECT_TRUE(record.reply.empty());
    }
    EXPECT_EQ(camera->exchange(request({CMD_STATUS})).size(), 6u);
}

TEST(StillCameraCommands, ForcedStatusAndOverridesShowInTheReplies)
{
    auto camera = makeCamera(testConfig());
    camera->forceStatus(0);
    EXPECT_EQ(ask(*camera, {CMD_STATUS}).data, Bytes{0});
    EXPECT_EQ(camera->cameraInfo()[0], 0);
    camera->overrideCameraInfoByte(1, 99);
    camera->overridePictureInfoByte(1, 8, 7);
    EXPECT_EQ(infoOf(ask(*camera, {CMD_CAMERA_INFO}))[1], 99);
    EXPECT_EQ(infoOf(ask(*camera, {CMD_PICTURE_INFO, 1, 0}))[8], 7);
    camera->clearOverrides();
    camera->forceStatus(std::nullopt);
    EXPECT_EQ(camera->cameraInfo()[1], 16);
    EXPECT_EQ(ask(*camera, {CMD_STATUS}).data, Bytes{1});
}

}  // namespace
}  // namespace qm::stillcam::test
