// DG_CONTROL / DAT_USERINTERFACE: enabling shows the panel (it cannot be
// suppressed), disabling hides it again.
#include "datasource/panel/panel_link.h"
#include "datasource/session/session_handlers.h"

namespace qm::ds {
namespace {

// Creates the panel's dialog and binds it to the device module and to this
// source; on failure the module stays loaded but counts as unusable.
bool createPanel(SourceRecord& record)
{
    PanelLink& panel = record.panel;
    const panel::PanelPathArgument dataSource{record.paths.dataSource.c_str()};
    const panel::PanelPathArgument device{record.paths.device.c_str()};
    const bool created = callPanel(panel, panel::CMUI_CREATE, reinterpret_cast<std::uintptr_t>(&panel.parent),
                                   reinterpret_cast<std::uintptr_t>(&panel.window));
    if (created && callPanel(panel, panel::CMUI_BIND, reinterpret_cast<std::uintptr_t>(&dataSource),
                             reinterpret_cast<std::uintptr_t>(&device))) {
        panel.status = PANEL_CREATED;
        return true;
    }
    panel.window = nullptr;
    panel.status = PANEL_NOT_LOADED;
    return false;
}

void showPanel(PanelLink& panel, std::uint32_t show)
{
    callPanel(panel, panel::CMUI_SHOW, reinterpret_cast<std::uintptr_t>(&show));
}

TW_UINT16 enable(SourceRecord& record, const Triplet& call)
{
    if (record.state != STATE_OPEN)
        return fail(record, TWCC_SEQERROR);
    if (call.data == nullptr)
        return fail(record, TWCC_BADVALUE);
    const auto* request = static_cast<const TW_USERINTERFACE*>(call.data);
    record.panel.parent = request->hParent;
    record.panel.showUI = request->ShowUI;
    if (request->ShowUI == TW_FALSE)
        return fail(record, TWCC_SEQERROR);  // the panel is the only way to pick pictures

    switch (record.panel.status) {
    case PANEL_NOT_LOADED:
        return fail(record, TWCC_LOWMEMORY);
    case PANEL_LOADED:
        if (!createPanel(record))
            return fail(record, TWCC_LOWMEMORY);
        break;
    default:
        break;
    }
    // The state changes first: the panel may already report a transfer while
    // it is being shown.
    record.state = STATE_ENABLED;
    showPanel(record.panel, 1);
    record.panel.status = PANEL_SHOWN;
    return TWRC_SUCCESS;
}

TW_UINT16 disable(SourceRecord& record)
{
    if (record.state != STATE_ENABLED && record.state != STATE_XFERREADY)
        return fail(record, TWCC_SEQERROR);
    if (record.panel.showUI != TW_FALSE) {
        showPanel(record.panel, 0);
        record.panel.status = PANEL_CREATED;
    }
    record.state = STATE_OPEN;
    return TWRC_SUCCESS;
}

}  // namespace

TW_UINT16 handleUserInterface(SourceRecord& record, const Triplet& call)
{
    switch (call.message) {
    case MSG_ENABLEDS:
        return enable(record, call);
    case MSG_DISABLEDS:
        return disable(record);
    default:
        return fail(record, TWCC_BADPROTOCOL);
    }
}

}  // namespace qm::ds
