// What the save remembers in KVB.ini, section "Save Directory to Disk": the
// folder, the prefix and the next file number.
#pragma once

#include <string>

namespace qm::panel {

struct SaveSettings {
    std::string folder;  // empty until the user confirmed one
    std::string prefix = "IMG";
    int fileNumber = 1;
};

SaveSettings readSaveSettings();
void writeSaveFolder(const std::string& folder);
void writeSavePrefix(const std::string& prefix);
void writeFileNumber(long long number);

}  // namespace qm::panel
