#include "device/entry/camera_values.h"

#include <algorithm>

#include "device/entry/driver_entry.h"
#include "device/protocol/year_codes.h"

namespace qm::device {
namespace {

// A camera byte with `count` states 0..count-1 reported as 1..count.
std::optional<std::uint32_t> oneBased(std::uint8_t byte, std::uint8_t count)
{
    if (byte >= count)
        return std::nullopt;
    return std::uint32_t(byte) + 1;
}

constexpr std::uint32_t kMegabyte = 1048576;
constexpr std::uint8_t kSpeedIndexCount = 5;

}  // namespace

std::optional<std::uint32_t> cameraInfoValue(std::uint32_t readCode, const CameraInfo& info, bool usb)
{
    switch (readCode) {
    case kReadReady:
        return info.ready() == 1 ? std::optional<std::uint32_t>(1) : std::nullopt;
    case kReadModelCode:
        return isKnownModel(info.modelCode()) ? std::optional<std::uint32_t>(info.modelCode()) : std::nullopt;
    case kReadMemoryMegabytes:
        if (info.firmwareVersionNumber() <= kLastFirmwareWithMegabyteMemory)
            return info.memoryMegabytes();
        return std::uint32_t((std::uint64_t(info.memoryBytes()) + kMegabyte / 2) / kMegabyte);
    case kReadBatteryCondition:
        return oneBased(info.byteAt(CameraInfo::kSetting3), 3);
    case kReadAcAdapter:
        return oneBased(info.byteAt(CameraInfo::kSetting4), 2);
    case kReadAutoOffSeconds:
        return std::uint32_t(info.autoOffMinutes()) * 60;
    case kReadCameraMode:
        return oneBased(info.byteAt(CameraInfo::kOperatingMode), 3);
    case kReadFlashMode:
        return oneBased(info.byteAt(CameraInfo::kSetting7), 3);
    case kReadFirmwareVersion:
        if (!info.hasFirmwareText())
            return std::nullopt;
        return std::uint32_t(info.firmwareVersionNumber());
    case kReadPicturesStored:
        return info.picturesStored();
    case kReadPicturesFree:
        return info.picturesAvailable();
    case kReadSpeedIndex:
        if (usb)
            return 0;
        return oneBased(info.speedIndex(), kSpeedIndexCount);
    case kReadIconDisplay:
        return oneBased(info.byteAt(CameraInfo::kSetting27), 2);
    case kReadPictureCount:
        return info.pictureCountValue();
    case kReadSelfTimer:
        return oneBased(info.byteAt(CameraInfo::kLongCaptureFlag), 2);
    case kReadLcdDisplay:
        return oneBased(info.byteAt(CameraInfo::kSetting33), 2);
    case kReadQualityMode:
        return oneBased(info.byteAt(CameraInfo::kSetting34), 3);
    default:
        return std::nullopt;
    }
}

CameraTime cameraClock(const CameraInfo& info, bool dateQuery)
{
    CameraTime time;
    time.year = std::uint32_t(
        yearFromCode(info.modelCode(), info.yearCode(), dateQuery ? YearReading::DateQuery : YearReading::Plain));
    time.month = info.month();
    time.day = info.day();
    time.hour = info.hour();
    time.minute = info.minute();
    time.second = info.second();
    return time;
}

std::optional<std::uint32_t> pictureInfoValue(std::uint32_t attributeCode, const PictureInfo& info)
{
    switch (attributeCode) {
    case kAttributeFlag0:
        return info.byteAt(PictureInfo::kFlag0) == 1 ? std::optional<std::uint32_t>(1) : std::nullopt;
    case kAttributeFlag1:
        return info.byteAt(PictureInfo::kFlag1) == 1 ? std::optional<std::uint32_t>(1) : std::nullopt;
    case kAttributeValue2:
        return info.u16At(PictureInfo::kValue2);
    case kAttributeDataSize:
        return info.pictureSize();
    case kAttributeSetting8:
        return oneBased(info.byteAt(PictureInfo::kSetting8), 2);
    case kAttributeSetting9:
        return oneBased(info.byteAt(PictureInfo::kSetting9), 3);
    case kAttributeValue10:
        return info.u16At(PictureInfo::kValue10);
    case kAttributeValue12:
        return info.secondKey();
    case kAttributeSetting16:
        return oneBased(info.byteAt(PictureInfo::kSetting16), 2);
    case kAttributeSetting17:
        return oneBased(info.byteAt(PictureInfo::kSetting17), 2);
    default:
        return std::nullopt;
    }
}

PictureSize largestPictureOfModel(std::uint8_t model)
{
    switch (model) {
    case kModel18:
    case kModel32:
        return {1024, 768};
    case kModel16:
    case kModel17:
    case kModel22:
        return {640, 480};
    default:
        return kLargestPicture;
    }
}

bool deliversVgaOnly(std::uint8_t model) { return model == kModel16 || model == kModel17 || model == kModel22; }

std::optional<PictureSize> pictureSizeOf(std::uint8_t model, const PictureInfo& info)
{
    if (deliversVgaOnly(model))
        return PictureSize{640, 480};
    switch (info.resolutionCode()) {
    case 0:
        return PictureSize{640, 480};
    case 1:
    case 2:
        return PictureSize{1024, 768};
    case 3:
        return PictureSize{1280, 1024};
    case 4:
        return kLargestPicture;
    default:
        return std::nullopt;
    }
}

std::optional<ParameterChange> parameterFor(std::uint32_t setCode, std::uint32_t value)
{
    auto choice = [&](std::uint8_t id, std::uint32_t choices) -> std::optional<ParameterChange> {
        if (value < 1 || value > choices)
            return std::nullopt;
        return ParameterChange{id, std::uint8_t(value - 1)};
    };
    switch (setCode) {
    case kSetFlashMode:
        return choice(0, 3);
    case kSetSelfTimer:
        return choice(1, 2);
    case kSetIconDisplay:
        return choice(2, 2);
    case kSetLcdDisplay:
        return choice(3, 2);
    case kSetQualityMode:
        return choice(4, 3);
    case kSetAutoOffMinutes:
        return ParameterChange{6, std::uint8_t(value)};
    default:
        return std::nullopt;
    }
}

DateTimeBytes dateTimeFor(std::uint8_t model, const CameraTime& time)
{
    return {{yearCodeFor(model, int(time.year)), std::uint8_t(time.month), std::uint8_t(time.day),
             std::uint8_t(std::min<std::uint32_t>(time.hour, 23)), std::uint8_t(std::min<std::uint32_t>(time.minute, 59)),
             std::uint8_t(std::min<std::uint32_t>(time.second, 59))}};
}

DateTimeBytes timeOfDayFor(const CameraInfo& info, const CameraTime& time)
{
    return {{info.yearCode(), info.month(), info.day(), std::uint8_t(time.hour), std::uint8_t(time.minute),
             std::uint8_t(time.second)}};
}

std::uint32_t eraseTimeMs(std::uint32_t picture) { return picture == 0 ? 4000 : 2000; }

std::uint32_t captureTimeMs(const CameraInfo& info)
{
    std::uint32_t base = 20000;
    if (info.modelCode() == kModel16)
        base = 13000;
    else if (info.modelCode() == kModel18)
        base = 6000;
    return base + (info.longCapture() ? 10000 : 0);
}

}  // namespace qm::device
