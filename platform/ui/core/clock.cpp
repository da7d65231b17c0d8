#include "platform/ui/core/clock.h"

#include <atomic>

#include "platform/system/timing.h"
#include "platform/ui/backend/backend.h"

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

// The backend decides which clock runs; make sure it has decided.
void ensureChosen()
{
    static const bool chosen = (backend(), true);
    (void)chosen;
}

std::uint32_t now()
{
    ensureChosen();
    return virtualMode.load() ? virtualNow.load() : qm::sys::GetTickCount();
}

bool clockIsVirtual()
{
    ensureChosen();
    return virtualMode.load();
}

void useVirtualClock(bool virtualClock) { virtualMode.store(virtualClock); }

void advanceVirtualClock(std::uint32_t milliseconds) { virtualNow.fetch_add(milliseconds); }

void bindSystemClock(bool bound) { qm::sys::setClockSource(bound ? &kVirtualSource : nullptr); }

}  // namespace qm::ui::detail
