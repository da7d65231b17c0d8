#include "panel/dialogs/image_info.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "panel/entry/panel_globals.h"
#include "panel/resources/panel_resources.h"
#include "panel/resources/resource.h"
#include "platform/system/byte_order.h"

namespace qm::panel {
namespace {

namespace layout = device::picture_record;

constexpr std::int32_t kLowestZone = -12;
constexpr std::int32_t kHighestZone = 12;
constexpr std::size_t kFlashByte = 8;

std::int32_t field(std::span<const std::uint8_t, layout::kSize> record, std::size_t offset)
{
    return std::int32_t(sys::readLe32(record.data() + offset));
}

// A text field ends at its NUL or at the field's end.
std::string text(std::span<const std::uint8_t, layout::kSize> record, std::size_t offset, std::size_t size)
{
    const char* start = reinterpret_cast<const char*>(record.data() + offset);
    return std::string(start, strnlen(start, size));
}

}  // namespace

std::string pictureDate(std::int32_t time, std::int32_t zoneOffset, std::int32_t zoneFlag)
{
    if (time == 0)
        return {};
    std::tm broken{};
    const bool zoned = zoneFlag < 0 && zoneOffset >= kLowestZone && zoneOffset <= kHighestZone;
    const std::time_t seconds = zoned ? std::time_t(time) + std::time_t(zoneOffset) * 3600 : std::time_t(time);
    if ((zoned ? gmtime_r(&seconds, &broken) : localtime_r(&seconds, &broken)) == nullptr)
        return {};
    char written[64] = {};
    const std::string format = panelString(IDS_INFO_DATE_FORMAT);
    const std::size_t length = std::strftime(written, sizeof written, format.c_str(), &broken);
    return std::string(written, length);
}

std::string flashText(std::optional<std::uint8_t> flash)
{
    if (flash == 0)
        return panelString(IDS_INFO_OFF);
    if (flash == 1)
        return panelString(IDS_INFO_ON);
    return panelString(IDS_INFO_UNKNOWN);
}

ImageFacts factsFromRecord(std::span<const std::uint8_t, layout::kSize> record, std::optional<std::uint8_t> flash)
{
    ImageFacts facts;
    facts.fileNumber = std::to_string(field(record, layout::kFileNumber));
    facts.fileName = text(record, layout::kFileName, layout::kFileNameSize);
    facts.modeName = text(record, layout::kModeName, layout::kModeNameSize);
    facts.date = pictureDate(field(record, layout::kTakenAt), field(record, layout::kZoneOffset),
                             field(record, layout::kZoneFlag));
    char resolution[64] = {};
    std::snprintf(resolution, sizeof resolution, panelString(IDS_INFO_RESOLUTION_FORMAT).c_str(),
                  field(record, layout::kWidth), field(record, layout::kHeight));
    facts.resolution = resolution;
    facts.fileFormat =
        panelString(field(record, layout::kFileFormat) == layout::kFormatJpeg ? IDS_INFO_JPEG : IDS_INFO_UNKNOWN);
    facts.flash = flashText(flash);
    return facts;
}

std::optional<ImageFacts> readImageFacts(int picture)
{
    std::array<std::uint8_t, layout::kSize> record{};
    sys::writeLe32(record.data() + layout::kPicture, std::uint32_t(picture));
    std::uint32_t length = std::uint32_t(record.size());
    if (!driverLink().call(device::kTypeAction, device::kActionPictureRecord, record.data(), &length))
        return std::nullopt;
    std::array<std::uint8_t, device::kRawPictureInfoSize> raw{};
    std::uint32_t number = std::uint32_t(picture);
    std::optional<std::uint8_t> flash;
    if (driverLink().call(device::kTypeAction, device::kActionRawPictureInfo, &number, raw.data()))
        flash = raw[kFlashByte];
    return factsFromRecord(record, flash);
}

}  // namespace qm::panel
