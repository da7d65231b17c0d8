// SettingsDescription as the settings dialog reads it: the OK and Cancel
// texts and one entry per setting the camera offers (id, name, choices).
// The device module writes it (DriverEntry type 10, code 2); every count
// is checked against the record before it is used.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qm::panel {

struct SettingEntry {
    std::uint32_t id = 0;
    std::string name;
    std::vector<std::string> choices;  // at most three
};

struct SettingsDescription {
    std::string okText;
    std::string cancelText;
    std::vector<SettingEntry> entries;
};

// The buffer the dialog hands the device module.
inline constexpr std::size_t kSettingsBufferSize = 2052;

// The entries that lie wholly inside the record, in order; nothing when the
// record is too short for its header.
std::optional<SettingsDescription> parseSettingsDescription(std::span<const std::uint8_t> record);

// Fetches and parses the record of the device module.
std::optional<SettingsDescription> readSettingsDescription();

}  // namespace qm::panel
