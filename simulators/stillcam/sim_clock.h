// The simulated camera's sense of time: how long capture and erase keep it
// busy and how far its calendar clock has run. The apps use the steady clock;
// tests use a ManualClock so "busy, then ready" never depends on scheduling.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace qm::stillcam {

class SimClock {
public:
    virtual ~SimClock() = default;
    // Milliseconds since an arbitrary start; never goes back.
    virtual std::uint64_t nowMs() const = 0;
};

// The machine's monotonic clock.
std::shared_ptr<SimClock> steadyClock();

// A clock that moves only when told to.
class ManualClock : public SimClock {
public:
    std::uint64_t nowMs() const override { return now_.load(); }
    void advance(std::uint64_t milliseconds) { now_ += milliseconds; }

private:
    std::atomic<std::uint64_t> now_{0};
};

}  // namespace qm::stillcam
