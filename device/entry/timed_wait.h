// The waits of erase and capture: a stretch of a total time T, walked in
// fixed steps, reporting progress and optionally ending as soon as the
// camera says it is ready again.
#pragma once

#include <cstdint>
#include <functional>

namespace qm::device {

class ProgressReporter;

struct TimedWaitPlan {
    std::uint32_t totalMs = 0;      // T
    std::uint32_t stepMs = 0;       // sleep between checks
    std::uint32_t fromPercent = 0;  // the stretch runs from a % of T ...
    std::uint32_t toPercent = 100;  // ... to b % of T
};

// Waits (b - a) % of T. Before each step `ready` (when given) is asked; the
// wait ends early with true as soon as it answers true. After each step the
// position (elapsed + a % of T) goes to `progress` (when given). False when
// the whole stretch passed without readiness.
bool timedWait(const TimedWaitPlan& plan, const std::function<bool()>& ready, const ProgressReporter* progress);

}  // namespace qm::device
