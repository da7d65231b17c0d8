#include "datasource/session/event_processing.h"

#include "datasource/ui/dialog_message.h"

namespace qm::ds {

TW_UINT16 processEvent(SourceRecord& record, TW_EVENT* event)
{
    if (record.panel.status != PANEL_SHOWN || event == nullptr || event->pEvent == nullptr)
        return TWRC_NOTDSEVENT;
    if (!offerToPanelDialog(record.panel.window, event->pEvent))
        return TWRC_NOTDSEVENT;
    // Transfer-ready and close requests never travel here; the source sends
    // them through the source manager.
    event->TWMessage = MSG_NULL;
    return TWRC_DSEVENT;
}

}  // namespace qm::ds
