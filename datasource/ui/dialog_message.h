// Keyboard navigation of the modeless panel: the window system's
// dialog-message routine for the panel's window.
#pragma once

#include "panel/entry/panel_entry.h"

namespace qm::ds {

// Offers one window message (the application's MSG record) to the panel
// window's dialog-message routine; true when the routine consumed it.
bool offerToPanelDialog(panel::PanelWindowHandle window, void* message);

}  // namespace qm::ds
