// The picture information record (DriverEntry 8/10), built from what the
// camera says of one picture in its PictureInfo block.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "device/entry/driver_entry.h"
#include "device/protocol/camera_records.h"

namespace qm::device {

// The time the camera stored the picture, read from its calendar bytes as
// local time, in seconds since 1970; nothing when the bytes are no date or
// the time does not fit the record's 32 bits.
std::optional<std::int32_t> pictureTakenAt(std::uint8_t model, const PictureInfo& info);

// The name the picture has in the camera's memory, from its file number.
std::string pictureFileName(const PictureInfo& info);

// The quality the picture was recorded in, by the names the settings use;
// empty for a value the camera does not define.
std::string pictureModeName(const PictureInfo& info);

// Writes the whole record for `picture`: every field the camera gives, the
// rest zero. The camera keeps no time zone, so the zone fields say none.
void writePictureRecord(std::span<std::uint8_t, picture_record::kSize> record, std::uint32_t picture,
                        std::uint8_t model, const PictureInfo& info);

}  // namespace qm::device
