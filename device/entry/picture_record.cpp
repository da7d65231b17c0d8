#include "device/entry/picture_record.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <limits>

#include "device/entry/camera_values.h"
#include "device/entry/record_text.h"
#include "device/entry/string_table.h"
#include "device/protocol/year_codes.h"
#include "platform/system/byte_order.h"

namespace qm::device {

std::optional<std::int32_t> pictureTakenAt(std::uint8_t model, const PictureInfo& info)
{
    const std::size_t at = PictureInfo::kTakenAt;
    const int month = info.byteAt(at + 1);
    const int day = info.byteAt(at + 2);
    const int hour = info.byteAt(at + 3);
    const int minute = info.byteAt(at + 4);
    const int second = info.byteAt(at + 5);
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    std::tm local{};
    local.tm_year = yearFromCode(model, info.byteAt(at)) - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;  // the camera's clock shows what the wall clock showed
    const std::time_t seconds = std::mktime(&local);
    if (seconds <= 0 || seconds > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return std::int32_t(seconds);
}

std::string pictureFileName(const PictureInfo& info)
{
    char name[32];
    std::snprintf(name, sizeof name, strings::kPictureFileNameFormat, unsigned(info.fileNumber()));
    return name;
}

std::string pictureModeName(const PictureInfo& info)
{
    switch (info.byteAt(PictureInfo::kSetting9)) {
    case 0:
        return strings::kNormal;
    case 1:
        return strings::kFine;
    case 2:
        return strings::kSuperFine;
    default:
        return {};
    }
}

void writePictureRecord(std::span<std::uint8_t, picture_record::kSize> record, std::uint32_t picture,
                        std::uint8_t model, const PictureInfo& info)
{
    namespace layout = picture_record;
    std::fill(record.begin(), record.end(), std::uint8_t{0});
    std::uint8_t* fields = record.data();
    sys::writeLe32(fields + layout::kPicture, picture);
    // Every camera of the family stores its pictures as JPEG.
    sys::writeLe32(fields + layout::kFileFormat, std::uint32_t(layout::kFormatJpeg));
    if (const std::optional<PictureSize> size = pictureSizeOf(model, info)) {
        sys::writeLe32(fields + layout::kWidth, size->width);
        sys::writeLe32(fields + layout::kHeight, size->height);
    }
    sys::writeLe32(fields + layout::kFileNumber, info.fileNumber());
    sys::writeLe32(fields + layout::kTakenAt, std::uint32_t(pictureTakenAt(model, info).value_or(0)));
    writeTextField(record, layout::kFileName, layout::kFileNameSize, pictureFileName(info));
    writeTextField(record, layout::kModeName, layout::kModeNameSize, pictureModeName(info));
}

}  // namespace qm::device
