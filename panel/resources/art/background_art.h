// The photo browser's background (634 x 455): the well with the thumbnail
// grid and the scroll rail, the toolbar panel with the progress area, the
// plate of Help and Exit, the name plate; and the focus sink, which hides
// in its top-left corner.
#pragma once

#include "panel/resources/art/canvas.h"

namespace qm::panel::art {

inline constexpr int kBackgroundWidth = 634;
inline constexpr int kBackgroundHeight = 455;

void paintBackground(Canvas& canvas);
// The background drawn once, for the pieces that sit on it to take their
// surroundings from.
const Canvas& renderedBackground();
// 4 x 4, the background's own pixels where the sink sits.
void paintFocusSink(Canvas& canvas);

}  // namespace qm::panel::art
