#include "device/entry/time_record.h"

#include "device/entry/driver_entry.h"
#include "platform/system/byte_order.h"

namespace qm::device {

static_assert(time_record::kSize == 36);

void writeTimeRecord(std::span<std::uint8_t, 36> record, const CameraTime& time)
{
    std::uint8_t* p = record.data();
    sys::writeLe32(p + time_record::kSecond, time.second);
    sys::writeLe32(p + time_record::kMinute, time.minute);
    sys::writeLe32(p + time_record::kHour, time.hour);
    sys::writeLe32(p + time_record::kDay, time.day);
    sys::writeLe32(p + time_record::kMonth, time.month);
    sys::writeLe32(p + time_record::kYear, time.year);
    sys::writeLe32(p + time_record::kWeekday, 0);
    sys::writeLe32(p + time_record::kDayOfYear, 0);
    sys::writeLe32(p + time_record::kDaylight, 0);
}

CameraTime readTimeRecord(std::span<const std::uint8_t, 36> record)
{
    const std::uint8_t* p = record.data();
    CameraTime time;
    time.second = sys::readLe32(p + time_record::kSecond);
    time.minute = sys::readLe32(p + time_record::kMinute);
    time.hour = sys::readLe32(p + time_record::kHour);
    time.day = sys::readLe32(p + time_record::kDay);
    time.month = sys::readLe32(p + time_record::kMonth);
    time.year = sys::readLe32(p + time_record::kYear);
    return time;
}

}  // namespace qm::device
