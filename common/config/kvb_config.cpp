#include "common/config/kvb_config.h"

#include <filesystem>
#include <string>

#include "platform/system/directories.h"
#include "platform/system/files.h"
#include "platform/system/profile.h"

namespace qm::config {

std::string kvbIniPath()
{
    const std::string installDirectory = sys::windowsDirectory() + "/TWAIN_32/QM4200";
    // In the user's own data directory the settings' place is made on first
    // use; a Windows directory that $WINDIR names is taken as it is.
    if (sys::windowsDirectoryIsUsersOwn() && !sys::directoryExists(installDirectory)) {
        std::error_code ignored;
        std::filesystem::create_directories(installDirectory, ignored);
    }
    if (sys::directoryExists(installDirectory))
        return installDirectory + "/" + kFileName;
    return sys::temporaryDirectory() + kFileName;
}

int readInt(const char* section, const char* key, int defaultValue)
{
    return sys::GetPrivateProfileInt(section, key, defaultValue, kvbIniPath().c_str());
}

std::string readText(const char* section, const char* key, const char* defaultValue)
{
    return sys::getProfileString(section, key, defaultValue != nullptr ? defaultValue : "", kvbIniPath());
}

bool writeInt(const char* section, const char* key, int value)
{
    return sys::WritePrivateProfileString(section, key, std::to_string(value).c_str(), kvbIniPath().c_str());
}

bool writeText(const char* section, const char* key, const char* text)
{
    return sys::WritePrivateProfileString(section, key, text != nullptr ? text : "", kvbIniPath().c_str());
}

}  // namespace qm::config
