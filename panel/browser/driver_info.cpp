#include "panel/browser/driver_info.h"

#include <cstring>

#include "device/entry/driver_entry.h"
#include "platform/system/byte_order.h"

namespace qm::panel {
namespace {

namespace layout = device::driver_info;

// A text field ends at its NUL or at the field's end, whichever comes first.
std::string textAt(const std::array<std::uint8_t, DriverInfo::kSize>& record, std::size_t offset, std::size_t size)
{
    const char* start = reinterpret_cast<const char*>(record.data() + offset);
    return std::string(start, strnlen(start, size));
}

}  // namespace

std::string DriverInfo::title() const
{
    return textAt(record, layout::kDriverName, layout::kDriverNameSize);
}

std::uint32_t DriverInfo::capabilities() const
{
    return sys::readLe32(record.data() + layout::kCapabilities);
}

std::uint32_t DriverInfo::statusLineMask() const
{
    return sys::readLe32(record.data() + layout::kStatusLineMask);
}

std::string DriverInfo::uploadFilter() const
{
    return textAt(record, layout::kFileFilter, layout::kFileFilterSize);
}

std::string DriverInfo::versionText() const
{
    return textAt(record, layout::kVersionText, kSize - layout::kVersionText);
}

}  // namespace qm::panel
