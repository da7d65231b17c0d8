// Shared between the kernel stand-in's dispatcher and timer code.
#pragma once

#include "platform/kernel/nt_types.h"

namespace qm::kernel::detail {

// Wakes every blocked wait that the objects' current states satisfy (under
// the kernel lock).
void satisfyWaiters();
// System time (100 ns since 1601) when interrupt time was 0.
LONGLONG systemTimeAtStart();

}  // namespace qm::kernel::detail
