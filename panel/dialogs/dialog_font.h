// The font of the strip dialogs' texts: 18 pixels high, 6 wide, weight 450,
// swiss family.
#pragma once

#include "platform/ui/framework/gdi_objects.h"

namespace qm::panel {

// Made on first use and shared by the dialogs.
ui::CFont& dialogFont();

}  // namespace qm::panel
