// settings: shows the camera settings the device module describes and
// changes them by name ("flash=Off", "date=2001-12-31", "autooff=5").
#include <array>
#include <cstring>
#include <optional>
#include <strings.h>
#include <vector>

#include "apps/qmcam/camera_tool.h"
#include "device/entry/driver_entry.h"
#include "platform/system/byte_order.h"

namespace qm::qmcam {
namespace {

using namespace qm::device;

struct SettingAccess {
    SettingId id;
    const char* key;
    std::uint32_t readCode;
    std::uint32_t writeCode;
};

constexpr SettingAccess kSettings[] = {
    {kSettingFlashMode, "flash", kReadFlashMode, kSetFlashMode},
    {kSettingSelfTimer, "timer", kReadSelfTimer, kSetSelfTimer},
    {kSettingLcdDisplay, "lcd", kReadLcdDisplay, kSetLcdDisplay},
    {kSettingIconDisplay, "icons", kReadIconDisplay, kSetIconDisplay},
    {kSettingQualityMode, "quality", kReadQualityMode, kSetQualityMode},
    {kSettingLineSpeed, "speed", kReadSpeedIndex, kSetPreferredSpeed},
    {kSettingCameraDate, "date", kReadDateTimePlain, kSetDateTime},
    {kSettingCameraTime, "time", kReadDateTimePlain, kSetTime},
    {kSettingAutoOffTime, "autooff", kReadAutoOffSeconds, kSetAutoOffMinutes},
};

const SettingAccess* accessFor(std::uint32_t id)
{
    for (const SettingAccess& access : kSettings)
        if (access.id == id)
            return &access;
    return nullptr;
}

const SettingAccess* accessByKey(const std::string& key)
{
    for (const SettingAccess& access : kSettings)
        if (strcasecmp(access.key, key.c_str()) == 0)
            return &access;
    return nullptr;
}

struct Setting {
    std::uint32_t id = 0;
    std::string name;
    std::vector<std::string> choices;
};

std::string textField(const std::uint8_t* field, std::size_t size)
{
    return std::string(reinterpret_cast<const char*>(field), strnlen(reinterpret_cast<const char*>(field), size));
}

std::optional<std::vector<Setting>> describeSettings(const DriverModule& module)
{
    std::vector<std::uint8_t> record(2052);
    std::uint32_t length = std::uint32_t(record.size());
    if (module.call(kTypeDescription, kDescribeSettings, record.data(), &length) != kDriverSuccess)
        return std::nullopt;
    const std::uint32_t count = sys::readLe32(record.data() + settings_description::kEntryCount);
    if (settings_description::sizeFor(count) > record.size())
        return std::nullopt;
    std::vector<Setting> settings;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* entry =
            record.data() + settings_description::kFirstEntry + settings_description::kEntrySize * i;
        Setting setting;
        setting.id = sys::readLe32(entry + setting_entry::kId);
        setting.name = textField(entry + setting_entry::kName, setting_entry::kNameSize);
        const std::uint16_t choices = std::min<std::uint16_t>(sys::readLe16(entry + setting_entry::kChoiceCount), 3);
        for (std::uint16_t c = 0; c < choices; ++c)
            setting.choices.push_back(textField(entry + setting_entry::kChoices[c], setting_entry::kChoiceSize));
        settings.push_back(std::move(setting));
    }
    return settings;
}

using TimeRecord = std::array<std::uint8_t, time_record::kSize>;

std::uint32_t field(const TimeRecord& record, std::size_t offset) { return sys::readLe32(record.data() + offset); }

}  // namespace

int CameraTool::showSettings()
{
    if (!connect())
        return kExitNoCamera;
    const std::optional<std::vector<Setting>> settings = describeSettings(module_);
    if (!settings)
        return failed("reading the settings description", kDriverFailure);
    for (const Setting& setting : *settings) {
        const SettingAccess* access = accessFor(setting.id);
        std::string value = "n/a";
        std::uint32_t number = 0;
        TimeRecord time{};
        if (access == nullptr) {
            value = "(unknown setting)";
        } else if (setting.id == kSettingLineSpeed) {
            const std::string speed = currentSpeed();
            value = speed.empty() ? value : speed;
        } else if (setting.id == kSettingCameraDate || setting.id == kSettingCameraTime) {
            if (module_.call(kTypeReadValue, access->readCode, time.data()) == kDriverSuccess) {
                char text[32];
                if (setting.id == kSettingCameraDate)
                    std::snprintf(text, sizeof text, "%04u-%02u-%02u", field(time, time_record::kYear),
                                  field(time, time_record::kMonth), field(time, time_record::kDay));
                else
                    std::snprintf(text, sizeof text, "%02u:%02u:%02u", field(time, time_record::kHour),
                                  field(time, time_record::kMinute), field(time, time_record::kSecond));
                value = text;
            }
        } else if (readValue(access->readCode, number)) {
            if (setting.id == kSettingAutoOffTime)
                value = std::to_string(number / 60) + " minutes";
            else if (number >= 1 && number <= setting.choices.size())
                value = setting.choices[number - 1];
        }
        std::string choices;
        for (const std::string& choice : setting.choices)
            choices += (choices.empty() ? "" : "|") + choice;
        std::fprintf(out_, "%-24s %-12s %s%s%s\n", setting.name.c_str(), value.c_str(),
                     access != nullptr ? access->key : "", choices.empty() ? "" : "=", choices.c_str());
    }
    return kExitOk;
}

int CameraTool::changeSettings(const std::vector<std::string>& assignments)
{
    if (!connect())
        return kExitNoCamera;
    const std::optional<std::vector<Setting>> settings = describeSettings(module_);
    if (!settings)
        return failed("reading the settings description", kDriverFailure);
    for (const std::string& assignment : assignments) {
        const std::size_t equals = assignment.find('=');
        const SettingAccess* access = equals == std::string::npos ? nullptr : accessByKey(assignment.substr(0, equals));
        if (access == nullptr) {
            std::fprintf(err_, "qmcam: '%s' is not NAME=VALUE with a known setting name\n", assignment.c_str());
            return kExitUsage;
        }
        const std::string value = assignment.substr(equals + 1);
        const Setting* setting = nullptr;
        for (const Setting& offered : *settings)
            if (offered.id == access->id)
                setting = &offered;
        if (setting == nullptr) {
            std::fprintf(err_, "qmcam: this camera has no setting '%s'\n", access->key);
            return kExitFailed;
        }
        std::uint8_t result = kDriverFailure;
        if (access->id == kSettingLineSpeed) {
            std::fprintf(err_, "qmcam: use 'qmcam speed RATE' to change the line speed\n");
            return kExitUsage;
        } else if (access->id == kSettingCameraDate || access->id == kSettingCameraTime) {
            unsigned a = 0, b = 0, c = 0;
            const bool isDate = access->id == kSettingCameraDate;
            if (std::sscanf(value.c_str(), isDate ? "%u-%u-%u" : "%u:%u:%u", &a, &b, &c) != 3) {
                std::fprintf(err_, "qmcam: %s wants %s\n", access->key, isDate ? "YYYY-MM-DD" : "HH:MM:SS");
                return kExitUsage;
            }
            TimeRecord time{};
            result = module_.call(kTypeReadValue, access->readCode, time.data());
            if (result == kDriverSuccess) {
                const std::size_t offsets[2][3] = {{time_record::kYear, time_record::kMonth, time_record::kDay},
                                                   {time_record::kHour, time_record::kMinute, time_record::kSecond}};
                const unsigned values[3] = {a, b, c};
                for (int i = 0; i < 3; ++i)
                    sys::writeLe32(time.data() + offsets[isDate ? 0 : 1][i], values[i]);
                result = module_.call(kTypeSetValue, access->writeCode, time.data());
            }
        } else if (access->id == kSettingAutoOffTime) {
            unsigned minutes = 0;
            if (std::sscanf(value.c_str(), "%u", &minutes) != 1 || minutes < 2 || minutes > 59) {
                std::fprintf(err_, "qmcam: autooff wants minutes from 2 to 59\n");
                return kExitUsage;
            }
            std::uint32_t v = minutes;
            result = module_.call(kTypeSetValue, access->writeCode, &v);
        } else {
            std::uint32_t index = 0;
            for (std::size_t i = 0; i < setting->choices.size(); ++i)
                if (strcasecmp(setting->choices[i].c_str(), value.c_str()) == 0)
                    index = std::uint32_t(i + 1);
            if (index == 0) {
                std::fprintf(err_, "qmcam: '%s' is not a choice of %s\n", value.c_str(), access->key);
                return kExitUsage;
            }
            result = module_.call(kTypeSetValue, access->writeCode, &index);
        }
        if (result != kDriverSuccess)
            return failed("setting " + assignment, result);
        std::fprintf(out_, "%s set to %s\n", setting->name.c_str(), value.c_str());
    }
    return kExitOk;
}

}  // namespace qm::qmcam
