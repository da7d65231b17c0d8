// The photo browser's background (634 x 455): the framed thumbnail grid,
// the scroll column, the toolbar panel with the progress area, Help and
// Exit; and the focus sink, which hides in its top-left corner.
#pragma once

#include "panel/resources/art/canvas.h"

namespace qm::panel::art {

inline constexpr int kBackgroundWidth = 634;
inline constexpr int kBackgroundHeight = 455;

void paintBackground(Canvas& canvas);
// 4 x 4, the background's own pixels at (1, 1), where the sink sits.
void paintFocusSink(Canvas& canvas);

}  // namespace qm::panel::art
