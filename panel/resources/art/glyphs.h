// The pictures on the browser's buttons, drawn as anti-aliased vector
// shapes into a square box.
#pragma once

#include "panel/resources/art/canvas.h"
#include "panel/resources/art/toolbar_art.h"

namespace qm::panel::art {

// Draws the command's picture into the square at (x, y) of `size` pixels.
// `accent` colours the part that says what the command does, `ink` the rest.
void drawGlyph(Canvas& canvas, Command command, double x, double y, double size, COLORREF ink, COLORREF accent);

}  // namespace qm::panel::art
