// DG_CONTROL / DAT_CAPABILITY: one fixed kind of image (24-bit RGB,
// uncompressed, pixels, the camera's size); a few values can be chosen from
// short lists, and the transfer count steers the end of a batch.
#pragma once

#include "datasource/entry/triplet.h"

namespace qm::ds {

// Answered in every state.
TW_UINT16 handleCapability(SourceRecord& record, const Triplet& call);

// The values the open request sets back: mechanism, file format, units,
// pixel flavor and planar/chunky.
void resetCapabilitiesOnOpen(CapabilityValues& values);

}  // namespace qm::ds
