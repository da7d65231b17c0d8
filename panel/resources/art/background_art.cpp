#include "panel/resources/art/background_art.h"

namespace qm::panel::art {

void paintBackground(Canvas& canvas) { canvas.fill({0, 0, canvas.width(), canvas.height()}, RGB(40, 46, 56)); }

void paintFocusSink(Canvas& canvas)
{
    Canvas background(kBackgroundWidth, kBackgroundHeight, RGB(0, 0, 0));
    paintBackground(background);
    canvas.copyFrom(background, 1, 1, canvas.width(), canvas.height(), 0, 0);
}

}  // namespace qm::panel::art
