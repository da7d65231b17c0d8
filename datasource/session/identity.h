// The source identity as the library starts with it.
#pragma once

#include "platform/twain/twain.h"

namespace qm::ds {

// Id 0, version 1.0 (USA), protocol 1.5, the control and image groups, and
// the names from the string table.
void fillInitialIdentity(twain::TW_IDENTITY& identity);

}  // namespace qm::ds
