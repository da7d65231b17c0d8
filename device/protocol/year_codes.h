// The camera keeps its year as one byte whose base depends on the model.
#pragma once

#include <cstdint>

#include "device/protocol/camera_records.h"

namespace qm::device {

// Models 22 and 32 count from 2000 and use code 59 for 1999.
inline constexpr std::uint8_t kYearCode1999 = 59;

enum class YearReading {
    Plain,      // the code as the model's base defines it
    DateQuery,  // the date query, which reads code 59 of models 22 and 32 as 1999
};

inline constexpr int yearFromCode(std::uint8_t model, std::uint8_t code, YearReading reading = YearReading::Plain)
{
    switch (model) {
    case kModel16:
    case kModel17:
        return 1900 + code;
    case kModel22:
    case kModel32:
        if (reading == YearReading::DateQuery && code == kYearCode1999)
            return 1999;
        return 2000 + code;
    default:
        return 1980 + code;
    }
}

inline constexpr std::uint8_t yearCodeFor(std::uint8_t model, int year)
{
    switch (model) {
    case kModel16:
    case kModel17:
        return std::uint8_t(year - 1900);
    case kModel22:
    case kModel32:
        return year == 1999 ? kYearCode1999 : std::uint8_t(year - 2000);
    default:
        return std::uint8_t(year - 1980);
    }
}

}  // namespace qm::device
