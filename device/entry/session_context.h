// What every session shares with the module: the progress reporter and the
// timing of its waits.
#pragma once

#include "device/entry/progress_reporter.h"
#include "device/entry/session_timing.h"

namespace qm::device {

struct SessionContext {
    ProgressReporter& progress;
    SessionTiming timing;
};

}  // namespace qm::device
