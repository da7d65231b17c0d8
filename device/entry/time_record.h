// The time record of the date and time sub-codes: nine 32-bit fields laid
// out like the C library's broken-down time, year in full.
#pragma once

#include <cstdint>
#include <span>

namespace qm::device {

struct CameraTime {
    std::uint32_t second = 0;
    std::uint32_t minute = 0;
    std::uint32_t hour = 0;
    std::uint32_t day = 0;
    std::uint32_t month = 0;  // 1..12, as the camera stores it
    std::uint32_t year = 0;   // in full, e.g. 2001
};

// Fills second..year, clears the weekday and day of year and the daylight
// flag. The record must be time_record::kSize bytes.
void writeTimeRecord(std::span<std::uint8_t, 36> record, const CameraTime& time);
CameraTime readTimeRecord(std::span<const std::uint8_t, 36> record);

}  // namespace qm::device
