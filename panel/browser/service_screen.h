// The service screen: letters typed into the browser (Alt+letter through its
// hidden buttons, and a "Y" for every other key) collect in a buffer that is
// matched, case-insensitively and as a prefix, against a few fixed access
// sequences. A buffer that starts no sequence is cleared; a whole sequence
// triggers its action.
#pragma once

#include <string>

namespace qm::panel {

enum class ServiceAction {
    None,
    Unlocked,              // shows the maker's name; the other sequences work from now on
    ShowFirmwareVersion,
    ShowSoftwareVersion,
    ArmPictureShortcut,
    TakePicture,           // the armed shortcut runs the Take a picture command
};

class ServiceScreen {
public:
    // Appends one letter; returns the action it completes, if any.
    ServiceAction feed(char letter);
    bool unlocked() const { return unlocked_; }
    bool armed() const { return armed_; }
    const std::string& typed() const { return typed_; }

private:
    ServiceAction trigger(int sequence);

    std::string typed_;
    bool unlocked_ = false;
    bool armed_ = false;
};

// The two password-guarded sequences show a version only when KVB.ini's
// "Main" section holds the company text under "Tolvane Password" and the
// version text under "Firmware Password" or "Software Password".
bool firmwarePasswordGiven();
bool softwarePasswordGiven();

}  // namespace qm::panel
