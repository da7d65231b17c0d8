// CameraLink against the simulated camera, over the serial line (a
// pseudo-terminal) and over the virtual USB cable.
#include <gtest/gtest.h>

#include <turbojpeg.h>

#include "common/config/kvb_config.h"
#include "device/protocol/camera_link.h"
#include "device/protocol/link_errors.h"
#include "device/protocol/year_codes.h"
#include "device/transport/usb_transport.h"
#include "platform/system/last_error.h"
#include "simulators/stillcam/still_camera.h"
#include "tests/device/protocol/link_fixture.h"
#include "tests/device/transport/scoped_link_time.h"
#include "tests/platform/comm/pty_line.h"
#include "tests/support/windows_dir.h"

namespace qm::device {
namespace {

using test::Bytes;
using test::ProgressEvent;

enum class Attachment { Serial, Usb };

std::string attachmentName(const ::testing::TestParamInfo<Attachment>& info)
{
    return info.param == Attachment::Serial ? "Serial" : "Usb";
}

// A 640 x 480 baseline JPEG, as an upload carries it.
Bytes uploadableJpeg()
{
    std::vector<unsigned char> rgb(640 * 480 * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<unsigned char>((i / 3) % 640 / 3);
    tjhandle encoder = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    tjCompress2(encoder, rgb.data(), 640, 0, 480, TJPF_RGB, &jpeg, &size, TJSAMP_422, 90, 0);
    Bytes bytes(jpeg, jpeg + size);
    tjFree(jpeg);
    tjDestroy(encoder);
    return bytes;
}

class LinkIntegrationTest : public ::testing::TestWithParam<Attachment> {
protected:
    void SetUp() override { test::recordedProgress().clear(); }

    bool serial() const { return GetParam() == Attachment::Serial; }

    // Starts a camera on the attachment under test and opens the link the
    // way a session does (USB first, then the serial search).
    void connect(stillcam::StillCameraConfig config = {}, std::uint16_t product = stillcam::kProduct2620)
    {
        for (unsigned port = 1; port <= 4; ++port)
            test::publishAbsentPort(port);
        config::writeInt("Baud Rate Speeding", "Baud Rate Mode", 9600);
        std::string error;
        camera = stillcam::StillCamera::create(config, &error);
        ASSERT_TRUE(camera) << error;
        if (serial())
            ASSERT_TRUE(camera->attachSerial(2));
        else
            ASSERT_TRUE(camera->attachUsb(socketPath, product));
        ASSERT_TRUE(link.Open(&test::recordProgress));
        ASSERT_NE(link.transport(), nullptr);
        EXPECT_EQ(link.transport()->kind(), serial() ? TransportKind::Serial : TransportKind::Usb);
        camera->clearCommandLog();
        test::recordedProgress().clear();
    }

    std::vector<stillcam::CommandRecord> requestsOf(std::uint8_t code) const
    {
        std::vector<stillcam::CommandRecord> matching;
        for (const auto& record : camera->commandLog()) {
            if (record.code == code)
                matching.push_back(record);
        }
        return matching;
    }

    test::ScopedLinkTime linkTime{10};
    test::WindowsDir windows;
    std::string socketPath = windows.path() + "/usb.sock";
    test::ScopedEnv usb{"QM4200_USB", socketPath};
    std::unique_ptr<stillcam::StillCamera> camera;
    CameraLink link;
};

TEST_P(LinkIntegrationTest, StatusAndInformation)
{
    stillcam::StillCameraConfig config;
    config.model = 22;
    config.firmware = "V3.41";
    config.pictureCount = 3;
    connect(config);

    std::uint8_t status = 0;
    ASSERT_TRUE(link.getStatus(&status));
    EXPECT_EQ(status, 1);

    CameraInfo info;
    ASSERT_TRUE(link.getCameraInfo(info));
    EXPECT_EQ(info.bytes, camera->cameraInfo());
    EXPECT_EQ(link.modelCode(), 22);
    EXPECT_EQ(link.firmwareVersion(), 341);
    EXPECT_EQ(info.picturesStored(), 3);

    PictureInfo picture;
    ASSERT_TRUE(link.getPictureInfo(2, picture));
    EXPECT_EQ(picture.bytes, *camera->pictureInfo(2));
    EXPECT_EQ(picture.pictureSize(), camera->pictures()[1].size);
    EXPECT_FALSE(link.getPictureInfo(9, picture));  // no such picture
}

TEST_P(LinkIntegrationTest, SettingsDateAndSpeed)
{
    connect();
    ASSERT_TRUE(link.setParameter(0, 1));  // flash: fill
    EXPECT_EQ(camera->settings().flashMode, 1);
    ASSERT_TRUE(link.setParameter(6, 5));  // power-off time
    EXPECT_EQ(camera->settings().autoOffMinutes, 5);

    ASSERT_TRUE(link.setDateTime({yearCodeFor(16, 2001), 7, 14, 9, 30, 15}));
    const auto date = camera->dateTime();
    EXPECT_EQ(date.year, 2001);
    EXPECT_EQ(date.month, 7);
    EXPECT_EQ(date.day, 14);
    EXPECT_EQ(date.hour, 9);
    EXPECT_EQ(requestsOf(CMD_SET_PARAMETER).back().request[5], 101);  // model 16: year - 1900

    // The camera takes the new serial rate after its answer (on USB too,
    // where it changes nothing on the link).
    ASSERT_TRUE(link.setSpeed(1));
    EXPECT_EQ(camera->serialRate(), 19200u);
    if (serial()) {
        // Until the line follows, the camera no longer hears the host.
        EXPECT_FALSE(link.getStatus());
    }
}

TEST_P(LinkIntegrationTest, ThumbnailsAndPicturesArriveWhole)
{
    stillcam::StillCameraConfig config;
    config.model = 18;  // JPEG thumbnails of varying size
    config.pictureCount = 2;
    connect(config);
    for (unsigned n = 1; n <= 2; ++n) {
        PictureInfo info;
        ASSERT_TRUE(link.getPictureInfo(std::uint16_t(n), info));
        Bytes thumbnail(info.thumbnailSize());
        ASSERT_TRUE(link.ReadThumbnail(std::uint16_t(n), thumbnail));
        EXPECT_EQ(thumbnail, camera->thumbnailData(n));
        Bytes picture(info.pictureSize());
        ASSERT_TRUE(link.ReadPicture(std::uint16_t(n), picture));
        EXPECT_EQ(picture, camera->pictureData(n));
    }
    const auto& events = test::recordedProgress();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), (ProgressEvent{CMD_READ_PICTURE, kProgressEnd, 0}));
}

TEST_P(LinkIntegrationTest, The257thBlockOfALargePictureLandsAt256Blocks)
{
    connect();
    Bytes large(257 * 1024 + 300);
    for (std::size_t i = 0; i < large.size(); ++i)
        large[i] = std::uint8_t(i * 31 + i / 1024);
    ASSERT_TRUE(camera->addPicture(large));
    const auto number = std::uint16_t(camera->pictureCount());
    Bytes picture(large.size());
    ASSERT_TRUE(link.ReadPicture(number, picture));
    EXPECT_TRUE(std::equal(picture.begin() + 256 * 1024, picture.end(), large.begin() + 256 * 1024));
    EXPECT_EQ(picture, large);
}

TEST_P(LinkIntegrationTest, DamagedBlocksAreSentAgainUpToFiveTimes)
{
    connect();
    const auto info = camera->pictures()[0];
    ASSERT_GT(info.size, 6u * 1024) << "the test needs a picture of several blocks";
    Bytes picture(info.size);

    camera->injectFaults("bad-checksum cmd=read-picture block=3; wrong-length cmd=read-picture block=5");
    ASSERT_TRUE(link.ReadPicture(1, picture));
    EXPECT_EQ(picture, camera->pictureData(1));

    camera->injectFaults("bad-checksum cmd=read-picture block=2 times=2; bad-checksum cmd=read-picture block=4;"
                         "wrong-length cmd=read-picture block=6 by=-3; bad-checksum cmd=read-picture block=7");
    EXPECT_FALSE(link.ReadPicture(1, picture));
    camera->clearFaults();
}

TEST_P(LinkIntegrationTest, EraseAndCapture)
{
    connect();
    const std::size_t before = camera->pictureCount();
    ASSERT_TRUE(link.erase(1));
    EXPECT_EQ(camera->pictureCount(), before - 1);
    ASSERT_TRUE(link.capture());
    std::uint8_t status = 0;
    ASSERT_TRUE(link.getStatus(&status));
    EXPECT_EQ(camera->pictureCount(), before);
    ASSERT_TRUE(link.erase(0));
    EXPECT_EQ(camera->pictureCount(), 0u);
}

TEST_P(LinkIntegrationTest, UploadsGoOutInBlocksOf1024)
{
    connect();
    // 1024 bytes: one last block. The camera drops data that is no picture
    // and says so in its answer.
    ASSERT_TRUE(link.beginUpload(1024));
    EXPECT_FALSE(link.Upload(Bytes(1024, 0x11)));
    EXPECT_EQ(sys::GetLastError(), 0u);
    auto blocks = requestsOf(CMD_WRITE_BLOCK);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].request[4], 1);  // block number
    EXPECT_EQ(blocks[0].request[5], 2);  // last
    EXPECT_EQ(blocks[0].request.size(), 1024u + 7);

    camera->clearCommandLog();
    ASSERT_TRUE(link.beginUpload(1025));
    EXPECT_FALSE(link.Upload(Bytes(1025, 0x22)));
    blocks = requestsOf(CMD_WRITE_BLOCK);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].request[5], 1);
    EXPECT_EQ(blocks[0].request.size(), 1024u + 7);
    EXPECT_EQ(blocks[1].request[4], 2);
    EXPECT_EQ(blocks[1].request[5], 2);
    EXPECT_EQ(blocks[1].request.size(), 1u + 7);

    // A real picture is stored.
    const Bytes jpeg = uploadableJpeg();
    const std::size_t before = camera->pictureCount();
    ASSERT_TRUE(link.beginUpload(std::uint32_t(jpeg.size())));
    ASSERT_TRUE(link.Upload(jpeg));
    ASSERT_EQ(camera->pictureCount(), before + 1);
    EXPECT_TRUE(camera->pictures().back().uploaded);
    EXPECT_EQ(camera->pictureData(unsigned(before + 1)), jpeg);
}

TEST_P(LinkIntegrationTest, EveryFaultFailsTheCommandCleanly)
{
    connect();
    struct Case {
        const char* script;
        sys::DWORD error;
    };
    // A camera that does not answer shows as a read that returned nothing,
    // on either link.
    const Case cases[] = {
        {"bad-checksum cmd=camera-info", 0},
        {"wrong-length cmd=camera-info by=-1", 0},
        {"wrong-length cmd=camera-info by=+1", 0},
        {"short-reply cmd=camera-info keep=30", LINK_ERR_UNEXPECTED},
        {"no-reply cmd=camera-info", LINK_ERR_NO_DATA},
        {"pipe-stall cmd=camera-info", LINK_ERR_NO_DATA},
        // Last: its late reply would otherwise answer the next case.
        {"stall cmd=camera-info ms=2000", LINK_ERR_NO_DATA},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        ASSERT_TRUE(camera->injectFaults(c.script));
        CameraInfo info;
        info.bytes.fill(0xAB);
        EXPECT_FALSE(link.getCameraInfo(info));
        EXPECT_EQ(sys::GetLastError(), c.error);
        EXPECT_EQ(info.bytes[0], 0xAB);  // a failed command leaves the caller's record alone
        camera->clearFaults();
        // Whatever the fault left behind, the link works again once the
        // camera does. A stalled USB pipe needs the reset a new open gives.
        if (!serial() && std::string(c.script).starts_with("pipe-stall")) {
            link.Close();
            ASSERT_TRUE(link.Open(nullptr));
        }
        bool recovered = false;
        for (int attempt = 0; attempt < 3 && !recovered; ++attempt)
            recovered = link.getCameraInfo(info);
        EXPECT_TRUE(recovered);
    }
}

TEST_P(LinkIntegrationTest, AnUnpluggedCameraFailsEveryCommand)
{
    connect();
    camera->injectFaults("unplug cmd=status");
    EXPECT_FALSE(link.getStatus());
    const sys::DWORD error = sys::GetLastError();
    // Depending on when the cable went, the request or the reply was lost.
    EXPECT_TRUE(error == LINK_ERR_NOTHING_WRITTEN || error == LINK_ERR_NO_DATA || error == LINK_ERR_IO)
        << std::hex << error;
    Bytes picture(4096);
    EXPECT_FALSE(link.ReadPicture(1, picture));
    EXPECT_FALSE(link.capture());
    EXPECT_TRUE(link.Close());
}

TEST_P(LinkIntegrationTest, ASilentCameraIsNotFound)
{
    for (unsigned port = 1; port <= 4; ++port)
        test::publishAbsentPort(port);
    stillcam::StillCameraConfig config;
    config.faultScript = "silent";
    camera = stillcam::StillCamera::create(config);
    ASSERT_TRUE(camera);
    ASSERT_TRUE(serial() ? camera->attachSerial(1) : camera->attachUsb(socketPath));
    EXPECT_FALSE(link.Open(nullptr));
    EXPECT_FALSE(link.isOpen());
    if (serial()) {
        EXPECT_EQ(config::readText("COMMUNICATION Port", "Port Name", "?"), "");
    }
}

INSTANTIATE_TEST_SUITE_P(BothLinks, LinkIntegrationTest, ::testing::Values(Attachment::Serial, Attachment::Usb),
                         attachmentName);

TEST(UsbLinkProducts, TheSecondProductIsFoundAfterTheFirst)
{
    test::ScopedLinkTime linkTime{10};
    test::WindowsDir windows;
    const std::string socketPath = windows.path() + "/usb.sock";
    test::ScopedEnv usb("QM4200_USB", socketPath);
    auto camera = stillcam::StillCamera::create({});
    ASSERT_TRUE(camera);
    ASSERT_TRUE(camera->attachUsb(socketPath, stillcam::kProduct2888));
    CameraLink link;
    ASSERT_TRUE(link.Open(nullptr));
    auto* transport = dynamic_cast<UsbTransport*>(link.transport());
    ASSERT_NE(transport, nullptr);
    EXPECT_EQ(transport->productId(), kCameraProduct2888);
}

}  // namespace
}  // namespace qm::device
