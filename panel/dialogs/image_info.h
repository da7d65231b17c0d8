// The seven facts the image information dialog shows of one picture, from
// the device module's picture information record and the flash byte of the
// picture's raw information.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "device/entry/driver_entry.h"

namespace qm::panel {

struct ImageFacts {
    std::string fileNumber;
    std::string fileName;
    std::string modeName;
    std::string date;
    std::string resolution;
    std::string fileFormat;
    std::string flash;

    // In the dialog's order.
    std::array<const std::string*, 7> inOrder() const
    {
        return {&fileNumber, &fileName, &modeName, &date, &resolution, &fileFormat, &flash};
    }
};

// The picture's time as the dialog writes it: with a valid zone (flag
// negative, offset -12..12) the time plus the offset in universal time,
// else the time as local time. Empty for time 0: the camera gave none.
std::string pictureDate(std::int32_t time, std::int32_t zoneOffset, std::int32_t zoneFlag);

// "OFF", "ON" or "Unknown" for the flash byte; "Unknown" also when it could
// not be read.
std::string flashText(std::optional<std::uint8_t> flash);

ImageFacts factsFromRecord(std::span<const std::uint8_t, device::picture_record::kSize> record,
                           std::optional<std::uint8_t> flash);

// Reads the record and the flash byte of `picture` from the device module;
// nothing when the record cannot be had.
std::optional<ImageFacts> readImageFacts(int picture);

}  // namespace qm::panel
