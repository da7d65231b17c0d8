// The fixed waits and give-up times of the camera link (delays after a
// request, the time a camera gets to answer, pauses after a speed change).
// Production uses the camera's own values. Tests that run the link against a
// simulated camera, which answers at once, may shorten them all by one
// factor: setLinkTimePercent(), or $QM4200_LINK_TIME_PERCENT for a module
// loaded by path. Waits can only get shorter, never longer.
#pragma once

#include <cstdint>

namespace qm::device {

// The share of every fixed wait that is kept, 1..100 (default 100).
unsigned linkTimePercent();
void setLinkTimePercent(unsigned percent);

// A fixed wait or time-out of `ms` milliseconds as currently scaled; a
// nonzero wait stays at least 1 ms.
std::uint32_t linkWait(std::uint32_t ms);

}  // namespace qm::device
