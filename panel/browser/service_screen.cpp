#include "panel/browser/service_screen.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "common/config/kvb_config.h"

namespace qm::panel {
namespace {

// The access sequences (letters only), in the order the service screen
// checks them.
enum Sequence { kUnlock, kFirmwareByPassword, kSoftwareByPassword, kFirmware, kSoftware, kArm, kShoot, kSequenceCount };
constexpr std::array<std::string_view, kSequenceCount> kSequences = {
    "QUILLONSERVICEON",      // 16
    "FIRMWAREVERSIONKEY",    // 18
    "SOFTWAREVERSIONCHECK",  // 20
    "FWVER",                 // 5
    "V",                     // 1
    "AR",                    // 2
    "GO",                    // 2
};

constexpr const char* kCompanyPassword = "Quillon";
constexpr const char* kVersionPassword = "V4.0";

bool equalNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

bool passwordGiven(const char* versionKey)
{
    return equalNoCase(config::readText("Main", "Tolvane Password", ""), kCompanyPassword) &&
           equalNoCase(config::readText("Main", versionKey, ""), kVersionPassword);
}

}  // namespace

ServiceAction ServiceScreen::feed(char letter)
{
    typed_.push_back(char(std::toupper(static_cast<unsigned char>(letter))));
    bool prefix = false;
    for (int i = 0; i < kSequenceCount; ++i) {
        const std::string_view sequence = kSequences[std::size_t(i)];
        if (sequence.substr(0, typed_.size()) != typed_)
            continue;
        if (sequence.size() == typed_.size()) {
            typed_.clear();
            return trigger(i);
        }
        prefix = true;
    }
    if (!prefix)
        typed_.clear();
    return ServiceAction::None;
}

ServiceAction ServiceScreen::trigger(int sequence)
{
    switch (sequence) {
    case kUnlock:
        unlocked_ = true;
        return ServiceAction::Unlocked;
    case kFirmwareByPassword:
        return firmwarePasswordGiven() ? ServiceAction::ShowFirmwareVersion : ServiceAction::None;
    case kSoftwareByPassword:
        return softwarePasswordGiven() ? ServiceAction::ShowSoftwareVersion : ServiceAction::None;
    default:
        break;
    }
    if (!unlocked_)
        return ServiceAction::None;
    switch (sequence) {
    case kFirmware:
        return ServiceAction::ShowFirmwareVersion;
    case kSoftware:
        return ServiceAction::ShowSoftwareVersion;
    case kArm:
        armed_ = true;
        return ServiceAction::ArmPictureShortcut;
    case kShoot:
        if (!armed_)
            return ServiceAction::None;
        armed_ = false;
        return ServiceAction::TakePicture;
    default:
        return ServiceAction::None;
    }
}

bool firmwarePasswordGiven()
{
    return passwordGiven("Firmware Password");
}

bool softwarePasswordGiven()
{
    return passwordGiven("Software Password");
}

}  // namespace qm::panel
