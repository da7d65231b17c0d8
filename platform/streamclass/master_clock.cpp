#include "platform/streamclass/master_clock.h"

#include <mutex>
#include <set>

#include "platform/kernel/sim_clock.h"

namespace qm::streamclass {

namespace {

struct ClockRegistry {
    std::mutex lock;
    std::set<const MasterClock*> clocks;
};

ClockRegistry& registry()
{
    static ClockRegistry* instance = new ClockRegistry;
    return *instance;
}

}  // namespace

MasterClock::MasterClock() : origin_(kernel::sim::interruptTime())
{
    std::lock_guard<std::mutex> guard(registry().lock);
    registry().clocks.insert(this);
}

MasterClock::~MasterClock()
{
    std::lock_guard<std::mutex> guard(registry().lock);
    registry().clocks.erase(this);
}

LONGLONG MasterClock::streamTime() const
{
    std::lock_guard<std::mutex> guard(registry().lock);
    return kernel::sim::interruptTime() - origin_;
}

void MasterClock::setTime(LONGLONG time)
{
    std::lock_guard<std::mutex> guard(registry().lock);
    origin_ = kernel::sim::interruptTime() - time;
}

const MasterClock* MasterClock::fromHandle(HANDLE handle)
{
    std::lock_guard<std::mutex> guard(registry().lock);
    auto found = registry().clocks.find(static_cast<const MasterClock*>(handle));
    return found == registry().clocks.end() ? nullptr : *found;
}

}  // namespace qm::streamclass
