// The panel's small font, 12 pixels high and 5 wide, normal weight, swiss
// family: the hints, the progress text and the cell numbers use it.
#pragma once

#include "platform/ui/framework/gdi_objects.h"

namespace qm::panel {

// Made on first use and shared by the whole module.
ui::CFont& smallFont();

}  // namespace qm::panel
