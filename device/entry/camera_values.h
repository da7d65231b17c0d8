// How the session turns the camera's information blocks into the values
// DriverEntry reports, and the values it is given into camera parameters.
// Pure functions: the session reads the blocks, these tables interpret them.
#pragma once

#include <cstdint>
#include <optional>

#include "device/entry/time_record.h"
#include "device/protocol/camera_records.h"

namespace qm::device {

// Type 3 values that come straight from CameraInfo (sub-codes 1..8, 10, 11,
// 14..19). Nothing for a byte outside its mapping or a sub-code that needs
// more than the block.
std::optional<std::uint32_t> cameraInfoValue(std::uint32_t readCode, const CameraInfo& info, bool usb);

// Type 3/12 and 3/13: the camera's clock.
CameraTime cameraClock(const CameraInfo& info, bool dateQuery);

// Type 6: a field of PictureInfo.
std::optional<std::uint32_t> pictureInfoValue(std::uint32_t attributeCode, const PictureInfo& info);

struct PictureSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// Type 5/1: the largest picture the model takes.
PictureSize largestPictureOfModel(std::uint8_t model);
// These models deliver every picture at 640 x 480, whatever PictureInfo says.
bool deliversVgaOnly(std::uint8_t model);
// Type 5/2: the size the picture is delivered at (before rotation); nothing
// for an unknown resolution code.
std::optional<PictureSize> pictureSizeOf(std::uint8_t model, const PictureInfo& info);
inline constexpr PictureSize kLargestPicture{1360, 1024};

// Type 4/1..5 and 4/10: the CMD_SET_PARAMETER id and value byte for a
// caller's value; nothing when the value is outside the setting's range.
struct ParameterChange {
    std::uint8_t id = 0;
    std::uint8_t value = 0;
};
std::optional<ParameterChange> parameterFor(std::uint32_t setCode, std::uint32_t value);

// CMD_SET_PARAMETER id 5: year code, month, day, hour, minute, second.
inline constexpr std::uint8_t kDateTimeParameter = 5;
struct DateTimeBytes {
    std::uint8_t bytes[6] = {};
};
// 4/6: the whole record, hour, minute and second kept in range.
DateTimeBytes dateTimeFor(std::uint8_t model, const CameraTime& time);
// 4/7: the camera's own date with the record's time of day, as given.
DateTimeBytes timeOfDayFor(const CameraInfo& info, const CameraTime& time);

// The real time the camera works on an action, in ms.
std::uint32_t eraseTimeMs(std::uint32_t picture);  // picture 0: all
std::uint32_t captureTimeMs(const CameraInfo& info);

}  // namespace qm::device
