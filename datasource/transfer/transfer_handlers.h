// Handlers of the image information, setup and transfer triplets.
#pragma once

#include "datasource/entry/triplet.h"

namespace qm::ds {

// DG_IMAGE
TW_UINT16 handleImageInfo(SourceRecord& record, const Triplet& call);
TW_UINT16 handleImageLayout(SourceRecord& record, const Triplet& call);
TW_UINT16 handleJpegCompression(SourceRecord& record, const Triplet& call);
TW_UINT16 handleNativeTransfer(SourceRecord& record, const Triplet& call);
TW_UINT16 handleMemoryTransfer(SourceRecord& record, const Triplet& call);
TW_UINT16 handleFileTransfer(SourceRecord& record, const Triplet& call);

// DG_CONTROL
TW_UINT16 handleSetupMemoryTransfer(SourceRecord& record, const Triplet& call);
TW_UINT16 handleSetupFileTransfer(SourceRecord& record, const Triplet& call);
TW_UINT16 handleTransferGroup(SourceRecord& record, const Triplet& call);
TW_UINT16 handlePendingTransfers(SourceRecord& record, const Triplet& call);

// Open, enabled or transfer-ready: the states in which setup triplets are
// answered.
inline bool isSessionOpen(std::int32_t state)
{
    return state == STATE_OPEN || state == STATE_ENABLED || state == STATE_XFERREADY;
}

}  // namespace qm::ds
