#include "platform/system/timing.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace qm::sys {
namespace {
std::atomic<const ClockSource*> clockSource{nullptr};
}

void setClockSource(const ClockSource* source) { clockSource.store(source); }

std::uint32_t GetTickCount()
{
    if (const ClockSource* source = clockSource.load())
        return source->now();
    using namespace std::chrono;
    return std::uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void Sleep(std::uint32_t milliseconds)
{
    if (const ClockSource* source = clockSource.load()) {
        source->sleep(milliseconds);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace qm::sys
