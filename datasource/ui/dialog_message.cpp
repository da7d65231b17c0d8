#include "datasource/ui/dialog_message.h"

#include "platform/ui/dialogs/dialog.h"

namespace qm::ds {

bool offerToPanelDialog(panel::PanelWindowHandle window, void* message)
{
    if (window == nullptr || message == nullptr)
        return false;
    return ui::IsDialogMessage(static_cast<ui::HWND>(window), static_cast<ui::MSG*>(message)) != ui::FALSE;
}

}  // namespace qm::ds
