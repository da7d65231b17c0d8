#include "panel/resources/art/cell_art.h"

namespace qm::panel::art {

void paintCellFrame(Canvas& canvas, bool portrait, bool selected)
{
    canvas.fill({0, 0, kCellWidth, kCellHeight}, selected ? RGB(240, 150, 60) : RGB(220, 220, 216));
    canvas.fill(portrait ? RECT{18, 10, 78, 86} : RECT{10, 18, 86, 78}, RGB(30, 30, 30));
    canvas.fill({4, 86, kCellWidth - 4, 106}, RGB(40, 44, 52));
}

void paintInfoIcon(Canvas& canvas, bool open, bool selected)
{
    canvas.fill({0, 0, kInfoIconSize, kInfoIconSize}, selected ? RGB(120, 70, 30) : RGB(40, 44, 52));
    if (open)
        canvas.fill({3, 3, 14, 14}, RGB(60, 120, 200));
    canvas.text("i", {0, 0, kInfoIconSize, kInfoIconSize}, {13, ui::FW_BOLD},
                open ? RGB(255, 200, 0) : RGB(255, 255, 255));
}

}  // namespace qm::panel::art
