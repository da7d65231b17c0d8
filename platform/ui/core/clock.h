// The window system's clock. With the SDL backend (or QM4200_UI_CLOCK=real)
// it is the system tick count; in headless mode it is a virtual clock that
// moves only when it is advanced, so timers fire exactly when a test says.
#pragma once

#include <cstdint>

namespace qm::ui::detail {

std::uint32_t now();
bool clockIsVirtual();
// Switches between the virtual and the real clock (the backend decides once).
void useVirtualClock(bool virtualClock);
void advanceVirtualClock(std::uint32_t milliseconds);
// While bound, the system layer's GetTickCount and Sleep follow the virtual
// clock too (Sleep advances it instead of waiting).
void bindSystemClock(bool bound);

}  // namespace qm::ui::detail
