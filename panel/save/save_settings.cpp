#include "panel/save/save_settings.h"

#include <algorithm>
#include <climits>

#include "common/config/kvb_config.h"

namespace qm::panel {
namespace {

constexpr const char* kSection = "Save Directory to Disk";
constexpr const char* kFolderKey = "Save Default Directory";
constexpr const char* kPrefixKey = "Prefix";
constexpr const char* kNumberKey = "File Number";
// The longest folder a path of the platform's 260 characters leaves room
// for, and the most of a prefix that is read.
constexpr std::size_t kFolderLength = 259;
constexpr std::size_t kPrefixLength = 30;

}  // namespace

SaveSettings readSaveSettings()
{
    SaveSettings settings;
    settings.folder = config::readText(kSection, kFolderKey, "").substr(0, kFolderLength);
    settings.prefix = config::readText(kSection, kPrefixKey, "IMG").substr(0, kPrefixLength);
    settings.fileNumber = config::readInt(kSection, kNumberKey, 1);
    return settings;
}

void writeSaveFolder(const std::string& folder) { config::writeText(kSection, kFolderKey, folder.c_str()); }

void writeSavePrefix(const std::string& prefix) { config::writeText(kSection, kPrefixKey, prefix.c_str()); }

void writeFileNumber(long long number)
{
    // The key holds a 32-bit integer, as every integer of the file does.
    config::writeInt(kSection, kNumberKey, int(std::clamp<long long>(number, INT_MIN, INT_MAX)));
}

}  // namespace qm::panel
