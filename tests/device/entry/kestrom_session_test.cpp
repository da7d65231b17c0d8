// The Kestrom module through DriverEntry: sessions, the check before an
// operation, status, values, settings and the description records.
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "common/config/kvb_config.h"
#include "platform/system/byte_order.h"
#include "platform/system/threads.h"
#include "platform/system/files.h"
#include "tests/device/entry/kestrom_fixture.h"

namespace qm::device::test {
namespace {

using stillcam::CMD_CAMERA_INFO;
using stillcam::CMD_SET_PARAMETER;
using stillcam::CMD_STATUS;

std::string textAt(const std::vector<std::uint8_t>& buffer, std::size_t offset)
{
    return std::string(reinterpret_cast<const char*>(buffer.data() + offset));
}

using KestromSession = KestromTest;

TEST_F(KestromSession, WithoutACameraOnlyTheSessionFreeCallsWork)
{
    start({}, Attachment::None);
    std::uint32_t count = 99;
    EXPECT_EQ(connect(&count), kDriverFailure);
    std::uint32_t value = 0;
    for (std::uint32_t type : {2u, 5u, 6u, 7u, 8u, 9u})
        EXPECT_EQ(call(type, 1, &value, &value), kDriverNoSession) << type;
    EXPECT_EQ(call(kTypeReadValue, kReadModelCode, &value), kDriverFailure);
    EXPECT_EQ(call(kTypeSetValue, kSetFlashMode, &value), kDriverFailure);
    EXPECT_EQ(call(kTypeAction, kActionNothing), kDriverSuccess);
    EXPECT_EQ(call(11, 1), kDriverUnsupported);
    EXPECT_EQ(call(0, 1), kDriverUnsupported);

    EXPECT_EQ(readValue(kReadPreferredSpeed), 115200u);
    std::uint32_t rate = 57600;
    EXPECT_EQ(call(kTypeSetValue, kSetPreferredSpeed, &rate), kDriverSuccess);
    EXPECT_EQ(readValue(kReadPreferredSpeed), 57600u);
    EXPECT_EQ(config::readInt("Baud Rate Speeding", "Baud Rate Mode", 0), 57600);

    std::vector<std::uint8_t> record(1024, 0xAA);
    std::uint32_t length = 1024;
    ASSERT_EQ(call(kTypeDescription, kDescribeDriver, record.data(), &length), kDriverSuccess);
    EXPECT_EQ(textAt(record, driver_info::kDriverName), "Digital Still Camera Driver");
    std::vector<std::uint8_t> shortRecord(512, 0xAA);
    length = 512;
    EXPECT_EQ(call(kTypeDescription, kDescribeDriver, shortRecord.data(), &length), kDriverFailure);
    EXPECT_EQ(shortRecord, std::vector<std::uint8_t>(512, 0));
    EXPECT_EQ(config::readInt("MAIN", "Camera Type", -1), -1) << "a failed connect remembers nothing";
}

TEST_F(KestromSession, ConnectsOverUsbAndRemembersTheSessionClass)
{
    start();
    std::uint32_t count = 0;
    ASSERT_EQ(connect(&count), kDriverSuccess);
    EXPECT_EQ(count, 6u);
    EXPECT_EQ(config::readInt("MAIN", "Camera Type", -1), 0);
    EXPECT_EQ(readValue(kReadSpeedIndex), 0u) << "USB";

    std::vector<std::uint8_t> record(1024);
    std::uint32_t length = 1024;
    ASSERT_EQ(call(kTypeDescription, kDescribeDriver, record.data(), &length), kDriverSuccess);
    EXPECT_EQ(textAt(record, driver_info::kDriverName), "Corvel Camera 640X480 driver");
    EXPECT_EQ(sys::readLe32(record.data() + driver_info::kCapabilities), 0x3FFu);
    EXPECT_EQ(sys::readLe32(record.data() + driver_info::kStatusLineMask), 0xFDu);

    std::vector<std::uint8_t> settings(2052);
    length = 2052;
    ASSERT_EQ(call(kTypeDescription, kDescribeSettings, settings.data(), &length), kDriverSuccess);
    ASSERT_EQ(sys::readLe32(settings.data() + settings_description::kEntryCount), 9u);
    const std::size_t speedEntry = settings_description::kFirstEntry + 5 * settings_description::kEntrySize;
    EXPECT_EQ(sys::readLe32(settings.data() + speedEntry), 6u);
    EXPECT_EQ(sys::readLe16(settings.data() + speedEntry + setting_entry::kChoiceCount), 1);
    EXPECT_EQ(textAt(settings, speedEntry + setting_entry::kChoices[0]), "USB");

    EXPECT_EQ(call(kTypeDisconnect, 0), kDriverSuccess);
    EXPECT_EQ(call(kTypeStatus, kStatusCameraAnswers), kDriverNoSession);
}

TEST_F(KestromSession, TheStoredCameraTypeIsTriedFirstAndOtherwiseEveryClass)
{
    start();
    for (int stored : {0, 5, 0xFFFF}) {
        config::writeInt("MAIN", "Camera Type", stored);
        ASSERT_EQ(connect(), kDriverSuccess) << stored;
        EXPECT_EQ(config::readInt("MAIN", "Camera Type", -1), 0);
        ASSERT_EQ(call(kTypeDisconnect, 0), kDriverSuccess);
    }
}

TEST_F(KestromSession, AFailedReconnectKeepsTheSessionForTheNextTry)
{
    start();
    ASSERT_EQ(connect(), kDriverSuccess);
    camera->unplugUsb();
    EXPECT_EQ(call(kTypeStatus, kStatusCameraAnswers), kDriverFailure);
    EXPECT_EQ(connect(), kDriverFailure);
    EXPECT_EQ(call(kTypeStatus, kStatusCameraAnswers), kDriverNoSession);
    ASSERT_TRUE(camera->attachUsb(windows.path() + "/usb-cable"));
    std::uint32_t count = 0;
    EXPECT_EQ(connect(&count), kDriverSuccess);
    EXPECT_EQ(count, 6u);
    EXPECT_EQ(call(kTypeStatus, kStatusCameraAnswers), kDriverSuccess);
}

std::size_t threadsOfThisProcess()
{
    return std::size_t(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                     std::filesystem::directory_iterator()));
}

// The count once the simulated camera's thread for a closed connection has
// gone: it leaves on its own time after the module let the cable go.
std::size_t settledThreadsOfThisProcess()
{
    std::size_t count = threadsOfThisProcess();
    for (int i = 0; i < 200; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const std::size_t now = threadsOfThisProcess();
        if (now == count)
            break;
        count = now;
    }
    return count;
}

TEST_F(KestromSession, EachLoadOfTheModuleStartsAfreshWithoutAThreadOfItsOwn)
{
    start();
    ASSERT_EQ(connect(), kDriverSuccess);
    unloadModule();  // the session ends with the module
    EXPECT_EQ(sys::GetThreadPriority(), sys::THREAD_PRIORITY_NORMAL);

    const std::size_t threads = settledThreadsOfThisProcess();
    loadModule();
    EXPECT_EQ(threadsOfThisProcess(), threads);
    EXPECT_EQ(sys::GetThreadPriority(), sys::THREAD_PRIORITY_TIME_CRITICAL);
    EXPECT_EQ(call(kTypeStatus, kStatusCameraAnswers), kDriverNoSession);
    EXPECT_EQ(connect(), kDriverSuccess);
}

TEST_F(KestromSession, StatusAndCountChanges)
{
    start();
    ASSERT_EQ(connect(), kDriverSuccess);
    EXPECT_EQ(call(kTypeStatus, kStatusCameraAnswers), kDriverSuccess);
    EXPECT_EQ(call(kTypeStatus, kStatusCameraIdle), kDriverSuccess);
    camera->forceStatus(0);
    EXPECT_EQ(call(kTypeStatus, kStatusCameraIdle), kDriverFailure);
    EXPECT_EQ(call(kTypeStatus, kStatusCameraAnswers), kDriverSuccess);
    camera->forceStatus(std::nullopt);

    std::uint32_t changed = 7;
    ASSERT_EQ(call(kTypeStatus, kStatusCountChanged, &changed), kDriverSuccess);
    EXPECT_EQ(changed, 0u);
    ASSERT_TRUE(camera->addPicture(camera->pictureData(1)));
    ASSERT_EQ(call(kTypeStatus, kStatusCountChanged, &changed), kDriverSuccess);
    EXPECT_EQ(changed, 1u);
    ASSERT_EQ(call(kTypeStatus, kStatusCountChanged, &changed), kDriverSuccess);
    EXPECT_EQ(changed, 0u) << "the new count was taken over";

    // The acknowledgement takes over the count as well, including its extension.
    camera->setCountExtension(1);
    EXPECT_EQ(call(kTypeAction, kActionAcknowledgeChange), kDriverSuccess);
    ASSERT_EQ(call(kTypeStatus, kStatusCountChanged, &changed), kDriverSuccess);
    EXPECT_EQ(changed, 0u);
    EXPECT_EQ(readValue(kReadPictureCount), 256u + 7u);

    // A file an upload can read is storable; one that is no picture, or
    // none at all, is not. The camera is not asked.
    clearCommands();
    std::string picture = windows.path() + "/picture.jpg";
    std::string text = windows.path() + "/notes.jpg";
    std::string missing = windows.path() + "/missing.bmp";
    const std::vector<std::uint8_t> jpeg = camera->pictureData(1);
    ASSERT_TRUE(sys::writeFileAtomically(picture, std::span<const std::uint8_t>(jpeg)));
    ASSERT_TRUE(sys::writeFileAtomically(text, std::string("not a picture, whatever its name says")));
    EXPECT_EQ(call(kTypeStatus, kStatusFileStorable, picture.data()), kDriverSuccess);
    EXPECT_EQ(call(kTypeStatus, kStatusFileStorable, text.data()), kDriverFailure);
    EXPECT_EQ(call(kTypeStatus, kStatusFileStorable, missing.data()), kDriverFailure);
    EXPECT_TRUE(commands().empty());
    EXPECT_EQ(call(kTypeStatus, 5), kDriverUnsupported);
}

TEST_F(KestromSession, ReadsValuesFromTheCamera)
{
    stillcam::StillCameraConfig config;
    config.firmware = "V3.26";
    config.memoryBytes = 8u << 20;
    config.dateTime = stillcam::CameraDateTime{2001, 12, 31, 23, 59, 30};
    config.settings.autoOffMinutes = 4;
    start(config);
    ASSERT_EQ(connect(), kDriverSuccess);
    EXPECT_EQ(readValue(kReadReady), 1u);
    EXPECT_EQ(readValue(kReadModelCode), 16u);
    EXPECT_EQ(readValue(kReadMemoryMegabytes), 8u);
    EXPECT_EQ(readValue(kReadAutoOffSeconds), 240u);
    EXPECT_EQ(readValue(kReadPicturesStored), 6u);
    EXPECT_EQ(readValue(kReadFlashMode), 3u) << "the camera starts with the flash off";

    // The version text comes from the 8-byte field and pads the caller's 260 bytes.
    std::uint32_t version = 0;
    std::vector<std::uint8_t> text(300, 0xAA);
    ASSERT_EQ(call(kTypeReadValue, kReadFirmwareVersion, &version, text.data()), kDriverSuccess);
    EXPECT_EQ(version, 326u);
    EXPECT_EQ(textAt(text, 0), "V3.26");
    for (std::size_t i = 5; i < kVersionTextSize; ++i)
        ASSERT_EQ(text[i], 0) << i;
    EXPECT_EQ(text[kVersionTextSize], 0xAA);
    EXPECT_EQ(call(kTypeReadValue, kReadFirmwareVersion, &version, nullptr), kDriverSuccess);

    std::array<std::uint32_t, 9> time;
    time.fill(0xEEEEEEEE);
    ASSERT_EQ(call(kTypeReadValue, kReadDateTimePlain, time.data()), kDriverSuccess);
    EXPECT_EQ(time[5], 2001u);
    EXPECT_EQ(time[4], 12u);
    EXPECT_EQ(time[3], 31u);
    EXPECT_EQ(time[2], 23u);
    EXPECT_EQ(time[8], 0u);

    std::uint32_t value = 0;
    for (std::uint32_t code : {20u, 22u, 23u, 0u})
        EXPECT_EQ(call(kTypeReadValue, code, &value), kDriverUnsupported) << code;
    EXPECT_EQ(call(kTypeReadValue, kReadModelCode, nullptr), kDriverFailure);
    camera->overrideCameraInfoByte(1, 21);
    EXPECT_EQ(call(kTypeReadValue, kReadModelCode, &value), kDriverFailure) << "unknown model";
}

TEST_F(KestromSession, ChangesSettingsAndRefusesValuesOutOfRangeWithoutAsking)
{
    start();
    ASSERT_EQ(connect(), kDriverSuccess);
    clearCommands();
    std::uint32_t value = 4;
    EXPECT_EQ(call(kTypeSetValue, kSetFlashMode, &value), kDriverFailure);
    value = 0;
    EXPECT_EQ(call(kTypeSetValue, kSetSelfTimer, &value), kDriverFailure);
    EXPECT_TRUE(commands().empty());

    value = 1;
    ASSERT_EQ(call(kTypeSetValue, kSetFlashMode, &value), kDriverSuccess);
    EXPECT_EQ(camera->settings().flashMode, 0);
    value = 3;
    ASSERT_EQ(call(kTypeSetValue, kSetQualityMode, &value), kDriverSuccess);
    EXPECT_EQ(camera->settings().quality, 2);
    value = 0x107;
    ASSERT_EQ(call(kTypeSetValue, kSetAutoOffMinutes, &value), kDriverSuccess);
    EXPECT_EQ(camera->settings().autoOffMinutes, 7);
    EXPECT_EQ(readValue(kReadAutoOffSeconds), 420u);

    std::array<std::uint32_t, 9> time{7, 6, 5, 4, 3, 2002, 0, 0, 0};
    ASSERT_EQ(call(kTypeSetValue, kSetDateTime, time.data()), kDriverSuccess);
    EXPECT_EQ(camera->dateTime().year, 2002);
    EXPECT_EQ(camera->dateTime().month, 3);
    EXPECT_EQ(camera->dateTime().day, 4);
    EXPECT_EQ(camera->dateTime().hour, 5);
    time = {30, 20, 10, 1, 1, 1990, 0, 0, 0};
    ASSERT_EQ(call(kTypeSetValue, kSetTime, time.data()), kDriverSuccess);
    EXPECT_EQ(camera->dateTime().year, 2002) << "the time alone keeps the camera's date";
    EXPECT_EQ(camera->dateTime().day, 4);
    EXPECT_EQ(camera->dateTime().hour, 10);
    EXPECT_EQ(camera->dateTime().minute, 20);

    EXPECT_EQ(call(kTypeSetValue, kSetRecordMode, &value), kDriverFailure);
    EXPECT_EQ(call(kTypeSetValue, kSetReserved12, &value), kDriverFailure);
    for (std::uint32_t code : {9u, 14u, 15u, 16u})
        EXPECT_EQ(call(kTypeSetValue, code, &value), kDriverUnsupported) << code;

    // On USB the speed preference is accepted and left alone.
    std::uint32_t rate = 19200;
    EXPECT_EQ(call(kTypeSetValue, kSetPreferredSpeed, &rate), kDriverSuccess);
    EXPECT_EQ(config::readInt("Baud Rate Speeding", "Baud Rate Mode", -1), -1);
    rate = 12345;
    clearCommands();
    EXPECT_EQ(call(kTypeSetValue, kSetSpeed, &rate), kDriverFailure);
    EXPECT_TRUE(commands().empty());
}

TEST_F(KestromSession, ModelsChangeTheRecordsAndTheReportedSizes)
{
    stillcam::StillCameraConfig config;
    config.model = 18;
    config.pictureCount = 3;
    start(config);
    ASSERT_EQ(connect(), kDriverSuccess);
    std::vector<std::uint8_t> record(1024);
    std::uint32_t length = 1024;
    ASSERT_EQ(call(kTypeDescription, kDescribeDriver, record.data(), &length), kDriverSuccess);
    EXPECT_EQ(sys::readLe32(record.data() + driver_info::kCapabilities), 0x3FBu);
    std::vector<std::uint8_t> settings(2052);
    length = 2052;
    ASSERT_EQ(call(kTypeDescription, kDescribeSettings, settings.data(), &length), kDriverSuccess);
    EXPECT_EQ(sys::readLe32(settings.data() + settings_description::kEntryCount), 8u) << "no icon display";

    std::uint32_t width = 0;
    std::uint32_t height = 0;
    ASSERT_EQ(call(kTypeSize, kSizeLargestOfModel, &width, &height), kDriverSuccess);
    EXPECT_EQ(width, 1024u);
    EXPECT_EQ(height, 768u);
    ASSERT_EQ(call(kTypeSize, kSizeLargest, &width, &height), kDriverSuccess);
    EXPECT_EQ(width, 1360u);
    ASSERT_EQ(call(kTypeSize, kSizeThumbnailToo, &width, &height), kDriverSuccess);
    EXPECT_EQ(height, 60u);
    EXPECT_EQ(call(kTypeSize, kSizeReserved6, &width, &height), kDriverFailure);
    EXPECT_EQ(call(kTypeSize, 7, &width, &height), kDriverUnsupported);

    width = 2;
    ASSERT_EQ(call(kTypeSize, kSizeOfPicture, &width, &height), kDriverSuccess);
    EXPECT_EQ(width, 1024u);
    EXPECT_EQ(height, 768u);
    width = 7;
    EXPECT_EQ(call(kTypeSize, kSizeOfPicture, &width, &height), kDriverFailure) << "beyond the pictures stored";
    camera->overridePictureInfoByte(3, 22, 5);
    width = 3;
    EXPECT_EQ(call(kTypeSize, kSizeOfPicture, &width, &height), kDriverFailure) << "unknown resolution code";
}

}  // namespace
}  // namespace qm::device::test
