// DriverEntry, the one export of the Kestrom device module, and the codes and
// record layouts that cross it. The panel and the camera tool include this
// header; nothing else of the device module is visible to them.
//
//   std::uint8_t DriverEntry(type, &subCode, out, data)
//
// Every record is written into a buffer the caller owns; integers are
// little-endian, texts zero-terminated and zero-padded.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qm::device {

// The progress callback the panel hands over (connect, type 8/1): three
// 32-bit arguments; the device module passes (0, 0, percent), and (0, 0, 0)
// when an operation ends.
using DriverProgressProc = void (*)(std::uint32_t, std::uint32_t, std::uint32_t);
using DriverEntryProc = std::uint8_t (*)(std::uint32_t type, std::uint32_t* code, void* out, void* data);
inline constexpr const char* kDriverEntryName = "DriverEntry";

// Result codes. Callers count only kDriverSuccess as success.
inline constexpr std::uint8_t kDriverFailure = 0;      // no answer, bad reply or invalid argument
inline constexpr std::uint8_t kDriverSuccess = 1;
inline constexpr std::uint8_t kDriverNoSession = 2;    // not connected (types 3 and 4 answer 0 instead)
inline constexpr std::uint8_t kDriverBusy = 4;         // another call is running on the session
inline constexpr std::uint8_t kDriverUnsupported = 5;  // unknown type or sub-code

enum DriverType : std::uint32_t {
    kTypeConnect = 1,           // out: u32 picture count; data: DriverProgressProc
    kTypeStatus = 2,
    kTypeReadValue = 3,         // out: u32 value (or time record)
    kTypeSetValue = 4,          // out: u32 value (or time record)
    kTypeSize = 5,              // out: u32 width; data: u32 height
    kTypePictureAttribute = 6,  // out: u32 picture number; data: u32 result
    kTypeReserved = 7,
    kTypeAction = 8,
    kTypeDisconnect = 9,
    kTypeDescription = 10,      // out: record buffer; data: u32 buffer length
};

// Type 2.
enum StatusCode : std::uint32_t {
    kStatusCameraAnswers = 1,    // CMD_STATUS answered
    kStatusCameraIdle = 2,       // the camera reports status 1
    kStatusCountChanged = 3,     // out: u32, 1 when the picture count changed
    kStatusFileStorable = 4,     // out: file path; 1 when the file is a picture an upload can read; no camera access
};

// Type 3: each writes one value to out.
enum ReadCode : std::uint32_t {
    kReadReady = 1,
    kReadModelCode = 2,
    kReadMemoryMegabytes = 3,
    kReadBatteryCondition = 4,   // 1..3
    kReadAcAdapter = 5,          // 1..2
    kReadAutoOffSeconds = 6,
    kReadCameraMode = 7,         // 1..3; 2 is record mode
    kReadFlashMode = 8,          // 1..3
    kReadFirmwareVersion = 9,    // data: optional kVersionTextSize-byte text buffer
    kReadPicturesStored = 10,
    kReadPicturesFree = 11,
    kReadDateTime = 12,          // out: time record; year code 59 of models 22, 32 is 1999
    kReadDateTimePlain = 13,     // out: time record
    kReadSpeedIndex = 14,        // 0 on USB, 1..5 on serial
    kReadIconDisplay = 15,       // 1..2
    kReadPictureCount = 16,
    kReadSelfTimer = 17,         // 1..2
    kReadLcdDisplay = 18,        // 1..2
    kReadQualityMode = 19,       // 1..3
    kReadPreferredSpeed = 21,    // needs no session
};

// Type 4: out points at the new value (or time record).
enum SetCode : std::uint32_t {
    kSetFlashMode = 1,           // 1..3
    kSetSelfTimer = 2,           // 1..2
    kSetIconDisplay = 3,         // 1..2
    kSetLcdDisplay = 4,          // 1..2
    kSetQualityMode = 5,         // 1..3
    kSetDateTime = 6,            // time record
    kSetTime = 7,                // time record; the camera keeps its date
    kSetSpeed = 8,               // a serial rate of SPEED_TABLE
    kSetAutoOffMinutes = 10,
    kSetRecordMode = 11,         // answered with 0
    kSetReserved12 = 12,         // answered with 0
    kSetPreferredSpeed = 13,     // needs no session
};

// Type 5: width to out, height to data.
enum SizeCode : std::uint32_t {
    kSizeLargestOfModel = 1,
    kSizeOfPicture = 2,          // picture number in *out
    kSizeLargest = 3,
    kSizeThumbnail = 4,
    kSizeThumbnailToo = 5,
    kSizeReserved6 = 6,          // answered with 0
};

// Type 6: fields of the picture's 64-byte information block.
enum PictureAttributeCode : std::uint32_t {
    kAttributeFlag0 = 1,         // byte 0 is 1
    kAttributeFlag1 = 2,         // byte 1 is 1
    kAttributeValue2 = 3,        // bytes 2..3
    kAttributeDataSize = 4,      // bytes 4..7
    kAttributeSetting8 = 6,      // byte 8 -> 1..2
    kAttributeSetting9 = 7,      // byte 9 -> 1..3
    kAttributeValue10 = 8,       // bytes 10..11
    kAttributeValue12 = 9,       // bytes 12..15
    kAttributeSetting16 = 10,    // byte 16 -> 1..2
    kAttributeSetting17 = 11,    // byte 17 -> 1..2
};

// Type 7 sub-codes 1..6 answer 0.
inline constexpr std::uint32_t kReservedFirst = 1;
inline constexpr std::uint32_t kReservedLast = 6;

// Type 8.
enum ActionCode : std::uint32_t {
    kActionSetProgress = 1,       // out: DriverProgressProc
    kActionGetPicture = 2,        // out: u32 picture; data: picture buffer, byte 0 = rotation
    kActionGetThumbnail = 3,      // out: u32 picture (0 or kThumbnailZoomed on return); data: kThumbnailDibSize bytes
    kActionErase = 4,             // out: u32 picture, 0 = all
    kActionCapture = 5,
    kActionUpload = 6,            // out: path of an image file
    kActionAcknowledgeChange = 7, // re-reads the picture count
    kActionSavePicture = 8,       // out: u32, picture in the low 16 bits; data: file path
    kActionPictureRecord = 10,    // out: picture record (picture_record); data: optional u32 record length
    kActionRawPictureInfo = 11,   // out: u32 picture; data: kRawPictureInfoSize bytes
    kActionNothing = 12,          // answered with 1, even without a session
};

// The picture information record (8/10): the caller puts the picture number
// into the first field and passes a buffer of at least kSize bytes (and, in
// data, its length when it wants that checked). On success the whole record
// is written; on failure it is left as it was.
namespace picture_record {
inline constexpr std::size_t kPicture = 0;       // i32, in
inline constexpr std::size_t kFileFormat = 4;    // i32, kFormatJpeg
inline constexpr std::size_t kWidth = 12;        // i32, pixels as type 5/2 reports them
inline constexpr std::size_t kHeight = 16;       // i32
inline constexpr std::size_t kFileNumber = 56;   // i32, the camera's own number of the picture
inline constexpr std::size_t kTakenAt = 64;      // i32, seconds since 1970; 0 when the camera gave no time
inline constexpr std::size_t kZoneOffset = 68;   // i32, hours; used only with a valid zone flag
inline constexpr std::size_t kZoneFlag = 72;     // i32, negative when the zone offset is valid
inline constexpr std::size_t kFileName = 76;     // text
inline constexpr std::size_t kFileNameSize = 156;
inline constexpr std::size_t kModeName = 232;    // text
inline constexpr std::size_t kModeNameSize = 64;
inline constexpr std::size_t kSize = 296;

inline constexpr std::int32_t kFormatJpeg = 0x10000;
}  // namespace picture_record

// What a successful thumbnail call (8/3) leaves in its picture argument for a
// picture the camera holds zoomed (PictureInfo byte 23); every other call
// leaves 0 there. Saving such a picture (8/8) writes its fully zoomed form.
inline constexpr std::uint32_t kThumbnailZoomed = 20;

// Type 10.
enum DescriptionCode : std::uint32_t {
    kDescribeDriver = 1,          // DriverInfoRecord
    kDescribeSettings = 2,        // SettingsDescription
};

// Rotation codes in byte 0 of a picture buffer: quarter turns to the right.
inline constexpr std::uint8_t kRotateNone = 0;
inline constexpr std::uint8_t kRotate90 = 1;
inline constexpr std::uint8_t kRotate180 = 2;
inline constexpr std::uint8_t kRotate270 = 3;

// Picture buffers: a 40-byte bitmap information header and 24-bit rows,
// bottom row first, each padded to a multiple of 4 bytes. A caller sizes a
// picture buffer as pictureBufferSize() of the width and height type 5/2
// reported (swapped for rotations 1 and 3); the module never writes more.
inline constexpr std::size_t kBitmapInfoHeaderSize = 40;
inline constexpr std::uint32_t kThumbnailWidth = 80;
inline constexpr std::uint32_t kThumbnailHeight = 60;
inline constexpr std::size_t kThumbnailDibSize = 14440;
inline constexpr std::size_t dibRowBytes(std::uint32_t width) { return (std::size_t(width) * 3 + 3) / 4 * 4; }
inline constexpr std::size_t pictureBufferSize(std::uint32_t width, std::uint32_t height)
{
    return kBitmapInfoHeaderSize + dibRowBytes(width) * height;
}
static_assert(pictureBufferSize(kThumbnailWidth, kThumbnailHeight) == kThumbnailDibSize);

inline constexpr std::size_t kRawPictureInfoSize = 64;
inline constexpr std::size_t kVersionTextSize = 260;

// Time record (3/12, 3/13, 4/6, 4/7): nine 32-bit fields in the order of the
// C library's broken-down time. Year in full, month 1..12 as the camera
// stores it; the module fills second..year and clears the daylight flag.
namespace time_record {
inline constexpr std::size_t kSecond = 0;
inline constexpr std::size_t kMinute = 4;
inline constexpr std::size_t kHour = 8;
inline constexpr std::size_t kDay = 12;
inline constexpr std::size_t kMonth = 16;
inline constexpr std::size_t kYear = 20;
inline constexpr std::size_t kWeekday = 24;
inline constexpr std::size_t kDayOfYear = 28;
inline constexpr std::size_t kDaylight = 32;
inline constexpr std::size_t kSize = 36;
}  // namespace time_record

// DriverInfoRecord (type 10/1). The buffer is zero-filled over its given
// length; one shorter than kSize is refused.
namespace driver_info {
inline constexpr std::size_t kRecordSize = 0;       // u16, 1024
inline constexpr std::size_t kDriverName = 2;       // 128 bytes of text
inline constexpr std::size_t kDriverNameSize = 128;
inline constexpr std::size_t kCapabilities = 130;   // u32
inline constexpr std::size_t kReserved134 = 134;    // u32, 0
inline constexpr std::size_t kStatusLineMask = 138; // u32
inline constexpr std::size_t kFileFilter = 142;     // 128 bytes of text
inline constexpr std::size_t kFileFilterSize = 128;
inline constexpr std::size_t kVersionText = 270;    // text to the end
inline constexpr std::size_t kSize = 1024;

inline constexpr std::uint32_t kAllCapabilities = 0x3FF;
inline constexpr std::uint32_t kCapabilityBit2 = 0x004;  // cleared for models 18, 22, 32
inline constexpr std::uint32_t kStatusLines = 0xFD;
}  // namespace driver_info

// SettingsDescription (type 10/2): a header and a run of SettingEntry records.
namespace settings_description {
inline constexpr std::size_t kRecordSize = 0;   // u32: 1656 with a session, 270 without
inline constexpr std::size_t kEntryCount = 4;   // u32
inline constexpr std::size_t kOkText = 8;       // 32 bytes of text
inline constexpr std::size_t kCancelText = 40;  // 32 bytes of text
inline constexpr std::size_t kButtonTextSize = 32;
inline constexpr std::size_t kFirstEntry = 72;
inline constexpr std::size_t kEntrySize = 198;
inline constexpr std::uint32_t kRecordSizeWithSession = 1656;
inline constexpr std::uint32_t kRecordSizeWithoutSession = 270;
inline constexpr std::size_t kMaxEntries = 9;
inline constexpr std::size_t sizeFor(std::size_t entries) { return kFirstEntry + kEntrySize * entries; }
}  // namespace settings_description

// SettingEntry, at kFirstEntry + kEntrySize * i.
namespace setting_entry {
inline constexpr std::size_t kId = 0;            // u32
inline constexpr std::size_t kChoiceCount = 4;   // u16
inline constexpr std::size_t kName = 6;          // 64 bytes of text
inline constexpr std::size_t kNameSize = 64;
inline constexpr std::size_t kChoices[3] = {70, 102, 134};  // 32 bytes of text each
inline constexpr std::size_t kChoiceSize = 32;
}  // namespace setting_entry

enum SettingId : std::uint32_t {
    kSettingFlashMode = 1,
    kSettingSelfTimer = 2,
    kSettingLcdDisplay = 3,
    kSettingIconDisplay = 4,
    kSettingQualityMode = 5,
    kSettingLineSpeed = 6,
    kSettingCameraDate = 7,
    kSettingCameraTime = 8,
    kSettingAutoOffTime = 9,
};

}  // namespace qm::device
