// Window classes of the panel's own controls (hint, progress bar, option
// group): registered once, with the arrow cursor. The framework subclasses
// every window it makes, so the class procedure is the default one.
#pragma once

#include "platform/ui/types.h"

namespace qm::panel {

// Registers `name` unless it exists (a previous load of the module may have
// left it); true when the class exists afterwards. `background` belongs to
// the class from then on.
bool registerControlClass(const char* name, ui::HBRUSH background = nullptr);

// Unregisters `name` once no window of it is left and deletes its
// background brush; false (and nothing changes) while windows remain.
bool unregisterControlClass(const char* name);

}  // namespace qm::panel
