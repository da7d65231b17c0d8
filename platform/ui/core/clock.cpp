#include "platform/ui/core/clock.h"

#include <atomic>

#include "platform/system/timing.h"

namespace qm::ui::detail {
namespace {

std::atomic<bool> virtualMode{false};
// Starts away from zero so that code subtracting tick counts never sees a
// clock that stands before its own start.
std::atomic<std::uint32_t> virtualNow{100000};

std::uint32_t readVirtual() { return virtualNow.load(); }
void sleepVirtual(std::uint32_t ms) { virtualNow.fetch_add(ms); }
const qm::sys::ClockSource kVirtualSource{&readVirtual, &sleepVirtual};

}  // namespace

std::uint32_t now() { return virtualMode.load() ? virtualNow.load() : qm::sys::GetTickCount(); }

bool clockIsVirtual() { return virtualMode.load(); }

void useVirtualClock(bool virtualClock) { virtualMode.store(virtualClock); }

void advanceVirtualClock(std::uint32_t milliseconds) { virtualNow.fetch_add(milliseconds); }

void bindSystemClock(bool bound) { qm::sys::setClockSource(bound ? &kVirtualSource : nullptr); }

}  // namespace qm::ui::detail
