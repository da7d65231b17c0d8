// Handlers of the session triplets: identity (open and close), user
// interface (enable and disable) and status.
#pragma once

#include "datasource/entry/triplet.h"

namespace qm::ds {

TW_UINT16 handleIdentity(SourceRecord& record, const Triplet& call);
TW_UINT16 handleUserInterface(SourceRecord& record, const Triplet& call);
TW_UINT16 handleStatus(SourceRecord& record, const Triplet& call);

}  // namespace qm::ds
