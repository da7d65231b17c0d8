#include "simulators/stillcam/sim_clock.h"

#include <chrono>

namespace qm::stillcam {
namespace {

class SteadyClock : public SimClock {
public:
    std::uint64_t nowMs() const override
    {
        using namespace std::chrono;
        return std::uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
};

}  // namespace

std::shared_ptr<SimClock> steadyClock()
{
    static const auto clock = std::make_shared<SteadyClock>();
    return clock;
}

}  // namespace qm::stillcam
