#include "datasource/ui/dialog_message.h"

namespace qm::ds {

// Until the window system offers its dialog-message routine here, the panel
// handles its own keyboard input and no message is consumed for it.
bool offerToPanelDialog(panel::PanelWindowHandle /*window*/, void* /*message*/)
{
    return false;
}

}  // namespace qm::ds
