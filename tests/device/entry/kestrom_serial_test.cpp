// A camera on a serial port through DriverEntry.
#include "common/config/kvb_config.h"
#include "platform/system/byte_order.h"
#include "tests/device/entry/kestrom_fixture.h"

namespace qm::device::test {
namespace {

using KestromSerial = KestromTest;

TEST_F(KestromSerial, FindsTheCameraOnItsPortAndStepsUpToThePreferredSpeed)
{
    stillcam::StillCameraConfig config;
    config.pictureCount = 2;
    config.serialRate = 9600;
    start(config, Attachment::Serial, 2);
    std::uint32_t count = 0;
    ASSERT_EQ(connect(&count), kDriverSuccess);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(camera->serialRate(), 115200u);
    EXPECT_EQ(readValue(kReadSpeedIndex), 5u);
    EXPECT_EQ(config::readText("COMMUNICATION Port", "Port Name", ""), "COM2:");
    EXPECT_EQ(config::readInt("COMMUNICATION Port", "Baud Rate", 0), 115200);

    std::vector<std::uint8_t> settings(2052);
    std::uint32_t length = 2052;
    ASSERT_EQ(call(kTypeDescription, kDescribeSettings, settings.data(), &length), kDriverSuccess);
    const std::size_t speedEntry = settings_description::kFirstEntry + 5 * settings_description::kEntrySize;
    EXPECT_EQ(sys::readLe16(settings.data() + speedEntry + setting_entry::kChoiceCount), 3);

    // On the serial line the preference is written.
    std::uint32_t rate = 38400;
    ASSERT_EQ(call(kTypeSetValue, kSetPreferredSpeed, &rate), kDriverSuccess);
    EXPECT_EQ(config::readInt("Baud Rate Speeding", "Baud Rate Mode", 0), 38400);
    EXPECT_EQ(readValue(kReadPreferredSpeed), 38400u);
}

TEST_F(KestromSerial, DownloadsPicturesAndThumbnailsOverTheLine)
{
    stillcam::StillCameraConfig config;
    config.pictureCount = 2;
    start(config, Attachment::Serial, 1);
    ASSERT_EQ(connect(), kDriverSuccess);

    std::uint32_t picture = 2;
    askPictureSize(picture);
    std::vector<std::uint8_t> buffer(pictureBufferSize(480, 640));
    buffer[0] = kRotate270;
    ASSERT_EQ(call(kTypeAction, kActionGetPicture, &picture, buffer.data()), kDriverSuccess);
    const std::optional<Dib> dib = readDib(buffer);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->width, 480);
    EXPECT_EQ(dib->height, 640);

    std::vector<std::uint8_t> thumbnail(kThumbnailDibSize);
    picture = 1;
    ASSERT_EQ(call(kTypeAction, kActionGetThumbnail, &picture, thumbnail.data()), kDriverSuccess);
    EXPECT_TRUE(readDib(thumbnail));
}

TEST_F(KestromSerial, AChangedLineSpeedIsRecorded)
{
    stillcam::StillCameraConfig config;
    config.pictureCount = 1;
    start(config, Attachment::Serial, 1);
    std::uint32_t rate = 19200;
    ASSERT_EQ(call(kTypeSetValue, kSetPreferredSpeed, &rate), kDriverSuccess);  // before any session
    ASSERT_EQ(connect(), kDriverSuccess);
    EXPECT_EQ(camera->serialRate(), 19200u);
    EXPECT_EQ(readValue(kReadSpeedIndex), 2u);

    rate = 57600;
    ASSERT_EQ(call(kTypeSetValue, kSetSpeed, &rate), kDriverSuccess);
    EXPECT_EQ(camera->serialRate(), 57600u);
    EXPECT_EQ(config::readInt("COMMUNICATION Port", "Baud Rate", 0), 57600);

    // The session keeps talking to the camera at its new rate.
    EXPECT_EQ(readValue(kReadSpeedIndex), 4u);
    EXPECT_EQ(readValue(kReadPicturesStored), 1u);
}

}  // namespace
}  // namespace qm::device::test
