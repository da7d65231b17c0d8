// KVB.ini, the settings file that the panel and the device module share.
// Its location is resolved at every access, so both modules agree on it also
// when the install directory appears or disappears while they are loaded.
#pragma once

#include <string>

namespace qm::config {

inline constexpr const char* kFileName = "KVB.ini";

// W/TWAIN_32/QM4200/KVB.ini when that install directory exists, else
// KVB.ini in the user's temporary directory. When W is the user's own data
// directory ($WINDIR unset) the install directory is made on first use.
std::string kvbIniPath();

int readInt(const char* section, const char* key, int defaultValue);
std::string readText(const char* section, const char* key, const char* defaultValue);
bool writeInt(const char* section, const char* key, int value);
// An empty text leaves the key present with an empty value.
bool writeText(const char* section, const char* key, const char* text);

}  // namespace qm::config
