#include "device/entry/timed_wait.h"

#include "device/entry/progress_reporter.h"
#include "platform/system/timing.h"

namespace qm::device {

bool timedWait(const TimedWaitPlan& plan, const std::function<bool()>& ready, const ProgressReporter* progress)
{
    const std::uint64_t span = plan.toPercent > plan.fromPercent ? plan.toPercent - plan.fromPercent : 0;
    const auto duration = std::uint32_t(span * plan.totalMs / 100);
    const auto offset = std::uint32_t(std::uint64_t(plan.fromPercent) * plan.totalMs / 100);
    const std::uint32_t start = sys::GetTickCount();
    // Unsigned differences keep the loop right across a wrap of the tick count.
    while (sys::GetTickCount() - start < duration) {
        if (ready && ready())
            return true;
        sys::Sleep(plan.stepMs);
        if (progress != nullptr)
            progress->report(sys::GetTickCount() - start + offset);
    }
    return false;
}

}  // namespace qm::device
