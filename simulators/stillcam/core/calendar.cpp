#include "simulators/stillcam/core/calendar.h"

#include <algorithm>
#include <ctime>

namespace qm::stillcam {
namespace {

bool isLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t daysFromCivil(int year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = int(year - era * 400);
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void civilFromDays(std::int64_t days, int& year, int& month, int& day)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int dayOfEra = int(days - era * 146097);
    const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int mp = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = int(yearOfEra + era * 400) + (month <= 2 ? 1 : 0);
}

std::int64_t toSeconds(const CameraDateTime& v)
{
    return daysFromCivil(v.year, v.month, v.day) * 86400 + v.hour * 3600 + v.minute * 60 + v.second;
}

}  // namespace

std::uint8_t encodeYear(std::uint8_t model, int year)
{
    switch (model) {
    case 16:
    case 17:
        return std::uint8_t(year - 1900);
    case 22:
    case 32:
        return year == 1999 ? 59 : std::uint8_t(year - 2000);
    default:
        return std::uint8_t(year - 1980);
    }
}

std::array<std::uint8_t, 6> encodeDateTime(std::uint8_t model, const CameraDateTime& value)
{
    return {encodeYear(model, value.year), std::uint8_t(value.month), std::uint8_t(value.day),
            std::uint8_t(value.hour),       std::uint8_t(value.minute), std::uint8_t(value.second)};
}

int decodeYear(std::uint8_t model, std::uint8_t code)
{
    switch (model) {
    case 16:
    case 17:
        return 1900 + code;
    case 22:
    case 32:
        return code == 59 ? 1999 : 2000 + code;
    default:
        return 1980 + code;
    }
}

bool isValidDateTime(const CameraDateTime& v)
{
    return v.month >= 1 && v.month <= 12 && v.day >= 1 && v.day <= daysInMonth(v.year, v.month) &&
           v.hour >= 0 && v.hour <= 23 && v.minute >= 0 && v.minute <= 59 && v.second >= 0 && v.second <= 59;
}

Calendar::Calendar(const SimClock& clock, const CameraDateTime& start)
    : clock_(clock), baseSeconds_(toSeconds(start)), setAtMs_(clock.nowMs())
{
}

CameraDateTime Calendar::now() const
{
    std::int64_t seconds = baseSeconds_ + std::int64_t((clock_.nowMs() - setAtMs_) / 1000);
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    CameraDateTime v;
    civilFromDays(days, v.year, v.month, v.day);
    v.hour = int(rest / 3600);
    v.minute = int(rest / 60 % 60);
    v.second = int(rest % 60);
    return v;
}

void Calendar::set(const CameraDateTime& value)
{
    baseSeconds_ = toSeconds(value);
    setAtMs_ = clock_.nowMs();
}

CameraDateTime localDateTime()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
            std::min(local.tm_sec, 59)};
}

}  // namespace qm::stillcam
