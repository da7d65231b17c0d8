// DG_CONTROL / DAT_STATUS: reports the condition code of the last failure
// and clears it.
#include "datasource/session/session_handlers.h"

namespace qm::ds {

TW_UINT16 handleStatus(SourceRecord& record, const Triplet& call)
{
    if (call.message != MSG_GET)
        return fail(record, TWCC_BADPROTOCOL);
    if (call.data == nullptr)
        return fail(record, TWCC_BADVALUE);
    auto* status = static_cast<TW_STATUS*>(call.data);
    status->ConditionCode = record.condition;
    status->Reserved = 0;
    record.condition = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}

}  // namespace qm::ds
