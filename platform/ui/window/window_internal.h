// Operations on windows shared between the window files.
#pragma once

#include "platform/ui/core/window_system.h"

namespace qm::ui::detail {

// Adds the area (window coordinates of `w`'s parent, or of the screen for
// top-level windows) to the update regions of what lies under it.
void invalidateUnder(Window* parentOrNull, const RECT& areaInParentClient);
// Invalidates a window's client area and, unless it clips its children,
// theirs (the platform's default).
void invalidateWindow(Window* w, const RECT* clientRect, bool erase, bool children);
// Tells the backend about a top-level window's place, title and visibility.
void syncNative(Window* w);
// Moves a top-level window (and its owned windows) to the top of its band.
void raiseTopLevel(Window* w);
void activateWindow(Window* w, WORD how);
// After a window lost visibility or was destroyed: focus, capture and
// activation move on.
void dropInputState(Window* w);
// The window under a screen point, disabled ones included (input to them is
// discarded by the caller).
Window* windowAtPoint(POINT screen);

}  // namespace qm::ui::detail
