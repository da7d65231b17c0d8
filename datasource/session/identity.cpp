// DG_CONTROL / DAT_IDENTITY: the identity query, open and close.
#include "datasource/session/identity.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "datasource/capabilities/capabilities.h"
#include "datasource/panel/panel_link.h"
#include "datasource/session/session_handlers.h"
#include "datasource/strings/names.h"
#include "datasource/strings/string_table.h"
#include "datasource/transfer/picture.h"

namespace qm::ds {
namespace {

void copyName(TW_STR32& target, std::string_view text)
{
    const std::size_t length = std::min(text.size(), sizeof(TW_STR32) - 1);
    std::memset(target, 0, sizeof(TW_STR32));
    std::memcpy(target, text.data(), length);
}

TW_UINT16 open(SourceRecord& record, const Triplet& call)
{
    if (record.state != STATE_LOADED)
        return fail(record, TWCC_SEQERROR);
    if (call.origin == nullptr || call.data == nullptr)
        return fail(record, TWCC_BADVALUE);

    // A missing panel module does not fail the open; the enable request
    // reports it.
    loadPanelModule(record);
    record.application = *call.origin;
    record.source = *static_cast<const TW_IDENTITY*>(call.data);
    resetCapabilitiesOnOpen(record.capabilities);
    record.state = STATE_OPEN;
    return TWRC_SUCCESS;
}

TW_UINT16 close(SourceRecord& record)
{
    if (record.state != STATE_OPEN && record.state != STATE_ENABLED && record.state != STATE_XFERREADY)
        return fail(record, TWCC_SEQERROR);
    releaseImageBuffer(record.transfer);
    record.application.Id = 0;
    record.state = STATE_LOADED;
    callPanel(record.panel, panel::CMUI_CLOSE);
    unloadPanelModule(record.panel);
    return TWRC_SUCCESS;
}

}  // namespace

void fillInitialIdentity(TW_IDENTITY& identity)
{
    identity = TW_IDENTITY{};
    identity.Id = 0;
    identity.Version.MajorNum = 1;
    identity.Version.MinorNum = 0;
    identity.Version.Language = TWLG_USA;
    identity.Version.Country = TWCY_USA;
    copyName(identity.Version.Info, kVersionInfo);
    identity.ProtocolMajor = 1;
    identity.ProtocolMinor = 5;
    identity.SupportedGroups = DG_CONTROL | DG_IMAGE;
    copyName(identity.Manufacturer, loadString(IDS_MANUFACTURER));
    copyName(identity.ProductFamily, loadString(IDS_PRODUCT_FAMILY));
    copyName(identity.ProductName, loadString(IDS_PRODUCT_NAME));
}

TW_UINT16 handleIdentity(SourceRecord& record, const Triplet& call)
{
    switch (call.message) {
    case MSG_GET:
        if (call.data == nullptr)
            return fail(record, TWCC_BADVALUE);
        *static_cast<TW_IDENTITY*>(call.data) = record.source;
        return TWRC_SUCCESS;
    case MSG_OPENDS:
        return open(record, call);
    case MSG_CLOSEDS:
        return close(record);
    default:
        return fail(record, TWCC_BADPROTOCOL);
    }
}

}  // namespace qm::ds
