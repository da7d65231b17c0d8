// A thumbnail cell of the photo browser (97 x 108): the frame the picture
// is drawn into, landscape or portrait, selected or not; and the 17 x 17
// information icon drawn on the frame's bottom band.
#pragma once

#include "panel/resources/art/canvas.h"

namespace qm::panel::art {

inline constexpr int kCellWidth = 97;
inline constexpr int kCellHeight = 108;
inline constexpr int kInfoIconSize = 17;

void paintCellFrame(Canvas& canvas, bool portrait, bool selected);
void paintInfoIcon(Canvas& canvas, bool open, bool selected);

}  // namespace qm::panel::art
