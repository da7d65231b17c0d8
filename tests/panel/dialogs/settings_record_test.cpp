// The settings dialog reads SettingsDescription with every count checked
// against the record it came in.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "device/entry/driver_entry.h"
#include "panel/dialogs/settings_description.h"
#include "platform/system/byte_order.h"

namespace qm::panel {
namespace {

namespace header = device::settings_description;
namespace entry = device::setting_entry;

void putText(std::vector<std::uint8_t>& record, std::size_t offset, const char* text)
{
    std::memcpy(record.data() + offset, text, std::strlen(text));
}

std::vector<std::uint8_t> recordWith(std::uint32_t count, std::size_t entriesThere)
{
    std::vector<std::uint8_t> record(header::sizeFor(entriesThere), 0);
    sys::writeLe32(record.data() + header::kEntryCount, count);
    putText(record, header::kOkText, "Ok");
    putText(record, header::kCancelText, "Cancel");
    for (std::size_t i = 0; i < entriesThere; ++i) {
        const std::size_t at = header::kFirstEntry + i * header::kEntrySize;
        sys::writeLe32(record.data() + at + entry::kId, std::uint32_t(i + 1));
        sys::writeLe16(record.data() + at + entry::kChoiceCount, 2);
        putText(record, at + entry::kName, "Setting");
        putText(record, at + entry::kChoices[0], "Off");
        putText(record, at + entry::kChoices[1], "On");
    }
    return record;
}

TEST(SettingsRecord, ReadsTheButtonsAndEveryEntry)
{
    const auto description = parseSettingsDescription(recordWith(2, 2));
    ASSERT_TRUE(description);
    EXPECT_EQ(description->okText, "Ok");
    EXPECT_EQ(description->cancelText, "Cancel");
    ASSERT_EQ(description->entries.size(), 2u);
    EXPECT_EQ(description->entries[1].id, 2u);
    EXPECT_EQ(description->entries[1].name, "Setting");
    EXPECT_EQ(description->entries[1].choices, (std::vector<std::string>{"Off", "On"}));
}

TEST(SettingsRecord, CountsBeyondTheRecordAreCut)
{
    // More entries announced than the record holds, and a choice count
    // beyond the three choice fields.
    std::vector<std::uint8_t> record = recordWith(500, 3);
    sys::writeLe16(record.data() + header::kFirstEntry + entry::kChoiceCount, 9);
    const auto description = parseSettingsDescription(record);
    ASSERT_TRUE(description);
    EXPECT_EQ(description->entries.size(), 3u);
    EXPECT_EQ(description->entries[0].choices.size(), 3u);
    EXPECT_EQ(parseSettingsDescription(std::vector<std::uint8_t>(header::kFirstEntry - 1, 0)), std::nullopt);
}

}  // namespace
}  // namespace qm::panel
