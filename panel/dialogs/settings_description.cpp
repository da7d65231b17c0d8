#include "panel/dialogs/settings_description.h"

#include <algorithm>
#include <cstring>

#include "device/entry/driver_entry.h"
#include "panel/entry/panel_globals.h"
#include "platform/system/byte_order.h"

namespace qm::panel {
namespace {

namespace header = device::settings_description;
namespace entry = device::setting_entry;

std::string textAt(std::span<const std::uint8_t> record, std::size_t offset, std::size_t size)
{
    const char* start = reinterpret_cast<const char*>(record.data() + offset);
    return std::string(start, strnlen(start, size));
}

}  // namespace

std::optional<SettingsDescription> parseSettingsDescription(std::span<const std::uint8_t> record)
{
    if (record.size() < header::kFirstEntry)
        return std::nullopt;
    SettingsDescription description;
    description.okText = textAt(record, header::kOkText, header::kButtonTextSize);
    description.cancelText = textAt(record, header::kCancelText, header::kButtonTextSize);
    const std::size_t room = (record.size() - header::kFirstEntry) / header::kEntrySize;
    const std::size_t count = std::min<std::size_t>(sys::readLe32(record.data() + header::kEntryCount), room);
    for (std::size_t i = 0; i < count; ++i) {
        const std::span<const std::uint8_t> fields =
            record.subspan(header::kFirstEntry + i * header::kEntrySize, header::kEntrySize);
        SettingEntry setting;
        setting.id = sys::readLe32(fields.data() + entry::kId);
        setting.name = textAt(fields, entry::kName, entry::kNameSize);
        const std::size_t choices =
            std::min<std::size_t>(sys::readLe16(fields.data() + entry::kChoiceCount), std::size(entry::kChoices));
        for (std::size_t c = 0; c < choices; ++c)
            setting.choices.push_back(textAt(fields, entry::kChoices[c], entry::kChoiceSize));
        description.entries.push_back(std::move(setting));
    }
    return description;
}

std::optional<SettingsDescription> readSettingsDescription()
{
    std::vector<std::uint8_t> record(kSettingsBufferSize, 0);
    std::uint32_t length = std::uint32_t(record.size());
    if (!driverLink().call(device::kTypeDescription, device::kDescribeSettings, record.data(), &length))
        return std::nullopt;
    return parseSettingsDescription(record);
}

}  // namespace qm::panel
