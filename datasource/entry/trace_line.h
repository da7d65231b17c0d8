// The diagnostic line the entry composes for every call, e.g.
// "Twain::DS_Entry(DG_CONTROL,DAT_IDENTITY,MSG_OPENDS) State3 \n".
#pragma once

#include <cstdint>
#include <string>

#include "platform/twain/twain.h"

namespace qm::ds {

// Names the entry knows are written out; unknown values leave their piece
// out, as does a state that is not one of 100 to 700.
std::string composeTraceLine(twain::TW_UINT32 group, twain::TW_UINT16 dataType, twain::TW_UINT16 message,
                             std::int32_t state);

}  // namespace qm::ds
