#include "device/entry/description_records.h"

#include <algorithm>
#include <array>
#include <vector>

#include "device/entry/driver_entry.h"
#include "device/entry/record_text.h"
#include "device/entry/string_table.h"
#include "device/protocol/camera_records.h"
#include "platform/system/byte_order.h"

namespace qm::device {
namespace {

struct SettingText {
    SettingId id;
    const char* name;
    std::uint16_t choiceCount;
    std::array<const char*, 3> choices;
};

bool lacksCapabilityBit2(std::uint8_t model)
{
    return model == kModel18 || model == kModel22 || model == kModel32;
}

bool showsIconDisplay(std::uint8_t model)
{
    return model == kModel16 || model == kModel22 || model == kModel32;
}

const SettingText kSerialLineSpeed{kSettingLineSpeed, strings::kBaudRateSpeeding, 3,
                                   {strings::kSlow, strings::kNormal, strings::kFast}};

std::vector<SettingText> settingsOf(const std::optional<SessionFacts>& session)
{
    if (!session)
        return {kSerialLineSpeed};
    std::vector<SettingText> entries{
        {kSettingFlashMode, strings::kFlashMode, 3, {strings::kAuto, strings::kFill, strings::kOff}},
        {kSettingSelfTimer, strings::kSelfShootTimer, 2, {strings::kOff, strings::kOn, nullptr}},
        {kSettingLcdDisplay, strings::kLcdDisplay, 2, {strings::kOff, strings::kOn, nullptr}},
    };
    if (showsIconDisplay(session->modelCode))
        entries.push_back({kSettingIconDisplay, strings::kIconDisplay, 2, {strings::kOff, strings::kOn, nullptr}});
    // The third quality choice is named but no model offers it.
    entries.push_back({kSettingQualityMode, strings::loadString(strings::IDS_QUALITY_MODE), 2,
                       {strings::kNormal, strings::kFine, strings::kSuperFine}});
    if (session->usb)
        entries.push_back({kSettingLineSpeed, strings::kBaudRateSpeeding, 1, {strings::kUsb, nullptr, nullptr}});
    else
        entries.push_back(kSerialLineSpeed);
    entries.push_back({kSettingCameraDate, strings::kCameraDate, 0, {}});
    entries.push_back({kSettingCameraTime, strings::kCameraTime, 0, {}});
    entries.push_back({kSettingAutoOffTime, strings::kAutoOffTime, 0, {}});
    return entries;
}

void writeEntry(std::span<std::uint8_t> entry, const SettingText& setting)
{
    sys::writeLe32(entry.data() + setting_entry::kId, setting.id);
    sys::writeLe16(entry.data() + setting_entry::kChoiceCount, setting.choiceCount);
    writeTextField(entry, setting_entry::kName, setting_entry::kNameSize, setting.name);
    for (std::size_t i = 0; i < setting.choices.size(); ++i)
        if (setting.choices[i] != nullptr)
            writeTextField(entry, setting_entry::kChoices[i], setting_entry::kChoiceSize, setting.choices[i]);
}

}  // namespace

std::uint8_t writeDriverInfoRecord(std::span<std::uint8_t> buffer, const std::optional<SessionFacts>& session)
{
    std::fill(buffer.begin(), buffer.end(), std::uint8_t{0});
    if (buffer.size() < driver_info::kSize)
        return kDriverFailure;
    std::uint8_t* record = buffer.data();
    sys::writeLe16(record + driver_info::kRecordSize, std::uint16_t(driver_info::kSize));
    if (session) {
        writeTextField(buffer, driver_info::kDriverName, driver_info::kDriverNameSize,
                       strings::loadString(strings::IDS_DRIVER_NAME));
        std::uint32_t capabilities = driver_info::kAllCapabilities;
        if (lacksCapabilityBit2(session->modelCode))
            capabilities &= ~driver_info::kCapabilityBit2;
        sys::writeLe32(record + driver_info::kCapabilities, capabilities);
        sys::writeLe32(record + driver_info::kStatusLineMask, driver_info::kStatusLines);
        writeTextField(buffer, driver_info::kFileFilter, driver_info::kFileFilterSize, strings::kFileTypeFilter);
    } else {
        writeTextField(buffer, driver_info::kDriverName, driver_info::kDriverNameSize, strings::kGenericDriverName);
    }
    writeTextField(buffer, driver_info::kVersionText, driver_info::kSize - driver_info::kVersionText,
                   strings::kDriverVersionText);
    return kDriverSuccess;
}

std::uint8_t writeSettingsDescription(std::span<std::uint8_t> buffer, const std::optional<SessionFacts>& session)
{
    using namespace settings_description;
    const std::vector<SettingText> entries = settingsOf(session);
    const std::size_t needed = sizeFor(entries.size());
    if (buffer.size() < needed)
        return kDriverFailure;
    std::fill_n(buffer.begin(), needed, std::uint8_t{0});
    std::uint8_t* record = buffer.data();
    sys::writeLe32(record + kRecordSize, session ? kRecordSizeWithSession : kRecordSizeWithoutSession);
    sys::writeLe32(record + kEntryCount, std::uint32_t(entries.size()));
    writeTextField(buffer, kOkText, kButtonTextSize, strings::loadString(strings::IDS_OK));
    writeTextField(buffer, kCancelText, kButtonTextSize, strings::loadString(strings::IDS_CANCEL));
    for (std::size_t i = 0; i < entries.size(); ++i)
        writeEntry(buffer.subspan(kFirstEntry + kEntrySize * i, kEntrySize), entries[i]);
    return kDriverSuccess;
}

}  // namespace qm::device
