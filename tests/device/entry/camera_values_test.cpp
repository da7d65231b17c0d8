#include "device/entry/camera_values.h"

#include <gtest/gtest.h>

#include <cstring>

#include "device/entry/driver_entry.h"
#include "platform/system/byte_order.h"

namespace qm::device {
namespace {

CameraInfo cameraInfo(std::uint8_t model, const char* firmware = "V3.25")
{
    CameraInfo info;
    info.bytes[CameraInfo::kReady] = 1;
    info.bytes[CameraInfo::kModelCode] = model;
    std::memcpy(&info.bytes[CameraInfo::kFirmwareText], firmware, std::strlen(firmware));
    return info;
}

TEST(CameraInfoValues, MapTheCameraBytesAndRefuseBytesOutsideTheirRange)
{
    CameraInfo info = cameraInfo(16);
    info.bytes[CameraInfo::kSetting3] = 2;
    info.bytes[CameraInfo::kSetting4] = 1;
    info.bytes[CameraInfo::kSetting34] = 3;
    info.bytes[CameraInfo::kAutoOffMinutes] = 5;
    EXPECT_EQ(cameraInfoValue(kReadReady, info, false), 1u);
    EXPECT_EQ(cameraInfoValue(kReadModelCode, info, false), 16u);
    EXPECT_EQ(cameraInfoValue(kReadBatteryCondition, info, false), 3u);
    EXPECT_EQ(cameraInfoValue(kReadAcAdapter, info, false), 2u);
    EXPECT_EQ(cameraInfoValue(kReadQualityMode, info, false), std::nullopt);
    EXPECT_EQ(cameraInfoValue(kReadAutoOffSeconds, info, false), 300u);
    EXPECT_EQ(cameraInfoValue(kReadFirmwareVersion, info, false), 325u);
    EXPECT_EQ(cameraInfoValue(kReadPreferredSpeed, info, false), std::nullopt);

    info.bytes[CameraInfo::kReady] = 2;
    info.bytes[CameraInfo::kModelCode] = 21;
    info.bytes[CameraInfo::kSetting4] = 2;
    info.bytes[CameraInfo::kFirmwareText] = 'x';
    EXPECT_EQ(cameraInfoValue(kReadReady, info, false), std::nullopt);
    EXPECT_EQ(cameraInfoValue(kReadModelCode, info, false), std::nullopt);
    EXPECT_EQ(cameraInfoValue(kReadAcAdapter, info, false), std::nullopt);
    EXPECT_EQ(cameraInfoValue(kReadFirmwareVersion, info, false), std::nullopt);
}

TEST(CameraInfoValues, MemoryCountsAndSpeedFollowFirmwareAndTransport)
{
    CameraInfo old = cameraInfo(16, "V3.25");
    old.bytes[CameraInfo::kMemoryMegabytes] = 4;
    sys::writeLe32(&old.bytes[CameraInfo::kMemoryBytes], 64u << 20);
    EXPECT_EQ(cameraInfoValue(kReadMemoryMegabytes, old, false), 4u);
    CameraInfo newer = old;
    newer.bytes[11] = '2';
    newer.bytes[12] = '6';
    sys::writeLe32(&newer.bytes[CameraInfo::kMemoryBytes], (8u << 20) + 600000);  // rounds up
    EXPECT_EQ(cameraInfoValue(kReadMemoryMegabytes, newer, false), 9u);

    sys::writeLe16(&old.bytes[CameraInfo::kPicturesStored], 300);
    sys::writeLe16(&old.bytes[CameraInfo::kPicturesAvailable], 12);
    sys::writeLe32(&old.bytes[CameraInfo::kPictureCountHigh], 2);
    EXPECT_EQ(cameraInfoValue(kReadPicturesStored, old, false), 300u);
    EXPECT_EQ(cameraInfoValue(kReadPicturesFree, old, false), 12u);
    EXPECT_EQ(cameraInfoValue(kReadPictureCount, old, false), 812u);

    old.bytes[CameraInfo::kSpeedIndex] = 4;
    EXPECT_EQ(cameraInfoValue(kReadSpeedIndex, old, false), 5u);
    EXPECT_EQ(cameraInfoValue(kReadSpeedIndex, old, true), 0u);
    old.bytes[CameraInfo::kSpeedIndex] = 5;
    EXPECT_EQ(cameraInfoValue(kReadSpeedIndex, old, false), std::nullopt);
}

TEST(CameraClock, ReadsTheYearCodeByModel)
{
    CameraInfo info = cameraInfo(22);
    info.bytes[CameraInfo::kYearCode] = 59;
    info.bytes[CameraInfo::kMonth] = 12;
    info.bytes[CameraInfo::kDay] = 31;
    info.bytes[CameraInfo::kHour] = 23;
    EXPECT_EQ(cameraClock(info, true).year, 1999u);
    EXPECT_EQ(cameraClock(info, false).year, 2059u);
    EXPECT_EQ(cameraClock(info, false).month, 12u);
    EXPECT_EQ(cameraClock(info, false).hour, 23u);
    info.bytes[CameraInfo::kModelCode] = 16;
    info.bytes[CameraInfo::kYearCode] = 101;
    EXPECT_EQ(cameraClock(info, true).year, 2001u);
    info.bytes[CameraInfo::kModelCode] = 18;
    info.bytes[CameraInfo::kYearCode] = 21;
    EXPECT_EQ(cameraClock(info, false).year, 2001u);
}

TEST(PictureValues, AttributesAndSizes)
{
    PictureInfo info;
    info.bytes[PictureInfo::kFlag0] = 1;
    sys::writeLe32(&info.bytes[PictureInfo::kPictureSize], 123456);
    info.bytes[PictureInfo::kSetting9] = 2;
    info.bytes[PictureInfo::kSetting16] = 2;
    EXPECT_EQ(pictureInfoValue(kAttributeFlag0, info), 1u);
    EXPECT_EQ(pictureInfoValue(kAttributeFlag1, info), std::nullopt);
    EXPECT_EQ(pictureInfoValue(kAttributeDataSize, info), 123456u);
    EXPECT_EQ(pictureInfoValue(kAttributeSetting9, info), 3u);
    EXPECT_EQ(pictureInfoValue(kAttributeSetting16, info), std::nullopt);
    EXPECT_EQ(pictureInfoValue(5, info), std::nullopt);

    info.bytes[PictureInfo::kResolutionCode] = 1;
    EXPECT_EQ(pictureSizeOf(18, info)->width, 1024u);
    EXPECT_EQ(pictureSizeOf(16, info)->width, 640u) << "these models always report VGA";
    info.bytes[PictureInfo::kResolutionCode] = 3;
    EXPECT_EQ(pictureSizeOf(32, info)->height, 1024u);
    info.bytes[PictureInfo::kResolutionCode] = 5;
    EXPECT_EQ(pictureSizeOf(20, info), std::nullopt);
    EXPECT_EQ(pictureSizeOf(22, info)->height, 480u);

    EXPECT_EQ(largestPictureOfModel(18).width, 1024u);
    EXPECT_EQ(largestPictureOfModel(17).width, 640u);
    EXPECT_EQ(largestPictureOfModel(20).width, 1360u);
}

TEST(ParameterChanges, MapValuesToIdsAndRefuseOthers)
{
    EXPECT_EQ(parameterFor(kSetFlashMode, 3)->value, 2);
    EXPECT_EQ(parameterFor(kSetFlashMode, 3)->id, 0);
    EXPECT_EQ(parameterFor(kSetFlashMode, 4), std::nullopt);
    EXPECT_EQ(parameterFor(kSetFlashMode, 0), std::nullopt);
    EXPECT_EQ(parameterFor(kSetSelfTimer, 3), std::nullopt);
    EXPECT_EQ(parameterFor(kSetLcdDisplay, 2)->id, 3);
    EXPECT_EQ(parameterFor(kSetIconDisplay, 1)->id, 2);
    EXPECT_EQ(parameterFor(kSetQualityMode, 3)->id, 4);
    EXPECT_EQ(parameterFor(kSetAutoOffMinutes, 0x105)->value, 5);
    EXPECT_EQ(parameterFor(kSetAutoOffMinutes, 0x105)->id, 6);
}

TEST(ParameterChanges, DateAndTimeBytes)
{
    const DateTimeBytes full = dateTimeFor(22, CameraTime{75, 61, 30, 31, 12, 1999});
    const std::uint8_t expected[6] = {59, 12, 31, 23, 59, 59};
    EXPECT_TRUE(std::equal(std::begin(full.bytes), std::end(full.bytes), expected));
    EXPECT_EQ(dateTimeFor(16, CameraTime{0, 0, 0, 1, 1, 2001}).bytes[0], 101);
    EXPECT_EQ(dateTimeFor(22, CameraTime{0, 0, 0, 1, 1, 2001}).bytes[0], 1);

    CameraInfo info = cameraInfo(16);
    info.bytes[CameraInfo::kYearCode] = 101;
    info.bytes[CameraInfo::kMonth] = 7;
    info.bytes[CameraInfo::kDay] = 4;
    const DateTimeBytes time = timeOfDayFor(info, CameraTime{70, 5, 30, 1, 1, 1990});
    const std::uint8_t kept[6] = {101, 7, 4, 30, 5, 70};
    EXPECT_TRUE(std::equal(std::begin(time.bytes), std::end(time.bytes), kept));
}

TEST(WorkTimes, EraseAndCaptureByModel)
{
    EXPECT_EQ(eraseTimeMs(3), 2000u);
    EXPECT_EQ(eraseTimeMs(0), 4000u);
    CameraInfo info = cameraInfo(16);
    EXPECT_EQ(captureTimeMs(info), 13000u);
    info.bytes[CameraInfo::kModelCode] = 18;
    info.bytes[CameraInfo::kLongCaptureFlag] = 1;
    EXPECT_EQ(captureTimeMs(info), 16000u);
    info.bytes[CameraInfo::kModelCode] = 32;
    info.bytes[CameraInfo::kLongCaptureFlag] = 0;
    EXPECT_EQ(captureTimeMs(info), 20000u);
}

}  // namespace
}  // namespace qm::device
