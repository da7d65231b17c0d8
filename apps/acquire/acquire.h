// One run of acquire: list the sources, open one, enable it with its panel,
// run the message loop and pull every picture the user transfers, then
// answer the source's close request.
#pragma once

#include <ostream>

#include "apps/acquire/options.h"

namespace qm::acquire {

// Progress goes to `out`, errors to `err`. Returns the process exit code:
// 0 when every transfer succeeded, 1 otherwise.
int runAcquire(const AcquireOptions& options, std::ostream& out, std::ostream& err);

}  // namespace qm::acquire
