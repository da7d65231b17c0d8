// The two 64-byte information blocks the camera sends: CameraInfo (reply to
// CMD_CAMERA_INFO) and PictureInfo (reply to CMD_PICTURE_INFO). Both are kept
// as the camera's bytes; accessors read fields by offset, little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/system/byte_order.h"

namespace qm::device {

inline constexpr std::size_t kInfoBlockSize = 64;

// Raw bytes plus bounds-checked readers shared by both blocks.
class InfoBlock {
public:
    std::array<std::uint8_t, kInfoBlockSize> bytes{};

    std::uint8_t byteAt(std::size_t offset) const { return offset < bytes.size() ? bytes[offset] : 0; }
    std::uint16_t u16At(std::size_t offset) const
    {
        return offset + 2 <= bytes.size() ? sys::readLe16(bytes.data() + offset) : 0;
    }
    std::uint32_t u32At(std::size_t offset) const
    {
        return offset + 4 <= bytes.size() ? sys::readLe32(bytes.data() + offset) : 0;
    }
    // Copies exactly 64 bytes; false (block unchanged) when fewer are given.
    bool assign(std::span<const std::uint8_t> source)
    {
        if (source.size() < bytes.size())
            return false;
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = source[i];
        return true;
    }
};

// Model codes the device module knows.
inline constexpr std::uint8_t kModel16 = 16;
inline constexpr std::uint8_t kModel17 = 17;
inline constexpr std::uint8_t kModel18 = 18;
inline constexpr std::uint8_t kModel20 = 20;
inline constexpr std::uint8_t kModel22 = 22;
inline constexpr std::uint8_t kModel32 = 32;

inline constexpr bool isKnownModel(std::uint8_t model)
{
    return model == kModel16 || model == kModel17 || model == kModel18 || model == kModel20 ||
           model == kModel22 || model == kModel32;
}

// Firmware from version 326 on reports its memory in bytes (offset 36).
inline constexpr int kLastFirmwareWithMegabyteMemory = 325;

class CameraInfo : public InfoBlock {
public:
    enum Offset : std::size_t {
        kReady = 0,
        kModelCode = 1,
        kMemoryMegabytes = 2,
        kSetting3 = 3,           // three-valued, written back by parameter 0
        kSetting4 = 4,           // two-valued, parameter 1
        kAutoOffMinutes = 5,
        kOperatingMode = 6,      // three-valued
        kSetting7 = 7,           // three-valued
        kFirmwareText = 8,       // "vX.YZ"
        kFirmwareTextEnd = 16,
        kPicturesStored = 16,    // 16-bit
        kPicturesAvailable = 18, // 16-bit
        kYearCode = 20,
        kMonth = 21,
        kDay = 22,
        kHour = 23,
        kMinute = 24,
        kSecond = 25,
        kSpeedIndex = 26,        // 0..4 into SPEED_TABLE
        kSetting27 = 27,         // two-valued
        kPictureCountHigh = 28,  // 32-bit, extends the picture count
        kLongCaptureFlag = 32,   // nonzero: a capture takes 10 s longer
        kSetting33 = 33,         // two-valued
        kSetting34 = 34,         // three-valued
        kMemoryBytes = 36,       // 32-bit
    };

    std::uint8_t ready() const { return byteAt(kReady); }
    std::uint8_t modelCode() const { return byteAt(kModelCode); }
    std::uint8_t memoryMegabytes() const { return byteAt(kMemoryMegabytes); }
    std::uint8_t autoOffMinutes() const { return byteAt(kAutoOffMinutes); }
    std::uint16_t picturesStored() const { return u16At(kPicturesStored); }
    std::uint16_t picturesAvailable() const { return u16At(kPicturesAvailable); }
    std::uint8_t yearCode() const { return byteAt(kYearCode); }
    std::uint8_t month() const { return byteAt(kMonth); }
    std::uint8_t day() const { return byteAt(kDay); }
    std::uint8_t hour() const { return byteAt(kHour); }
    std::uint8_t minute() const { return byteAt(kMinute); }
    std::uint8_t second() const { return byteAt(kSecond); }
    std::uint8_t speedIndex() const { return byteAt(kSpeedIndex); }
    std::uint32_t pictureCountHigh() const { return u32At(kPictureCountHigh); }
    bool longCapture() const { return byteAt(kLongCaptureFlag) != 0; }
    std::uint32_t memoryBytes() const { return u32At(kMemoryBytes); }

    // True when the version text starts with "v" or "V".
    bool hasFirmwareText() const { return byteAt(kFirmwareText) == 'v' || byteAt(kFirmwareText) == 'V'; }
    // Digits X, Y, Z of "vX.YZ" read as a three-digit number.
    int firmwareVersionNumber() const
    {
        return 100 * (byteAt(9) - '0') + 10 * (byteAt(11) - '0') + (byteAt(12) - '0');
    }
    // The count the session compares and reports: 256 x (bytes 28..31) +
    // (bytes 16..17), in the session's 32-bit arithmetic.
    std::uint32_t pictureCountValue() const { return 256u * pictureCountHigh() + picturesStored(); }
};

class PictureInfo : public InfoBlock {
public:
    enum Offset : std::size_t {
        kFlag0 = 0,
        kFlag1 = 1,
        kValue2 = 2,           // 16-bit
        kPictureSize = 4,      // 32-bit, bytes CMD_READ_PICTURE delivers
        kSetting8 = 8,         // two-valued
        kSetting9 = 9,         // three-valued
        kValue10 = 10,         // 16-bit
        kSecondKey = 12,       // 32-bit, thumbnail cache key with the size
        kSetting16 = 16,       // two-valued
        kSetting17 = 17,       // two-valued
        kThumbnailSize = 18,   // 32-bit, bytes CMD_READ_THUMBNAIL delivers
        kResolutionCode = 22,  // 0: 640x480, 1, 2: 1024x768, 3: 1280x1024, 4: 1360x1024
        kZoomed = 23,          // 1: the camera holds the picture zoomed
        // When the camera stored the picture, by its own calendar: year code,
        // month, day, hour, minute, second; all 0 when it does not say.
        kTakenAt = 56,
    };

    std::uint32_t pictureSize() const { return u32At(kPictureSize); }
    std::uint32_t secondKey() const { return u32At(kSecondKey); }
    std::uint32_t thumbnailSize() const { return u32At(kThumbnailSize); }
    std::uint8_t resolutionCode() const { return byteAt(kResolutionCode); }
    bool zoomed() const { return byteAt(kZoomed) == 1; }
    std::uint16_t fileNumber() const { return u16At(kValue2); }
};

}  // namespace qm::device
