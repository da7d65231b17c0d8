#include "panel/resources/art/dialog_art.h"

#include <string>

namespace qm::panel::art {

void paintProgressFace(Canvas& canvas)
{
    canvas.fill({0, 0, kProgressWidth, kProgressHeight}, RGB(60, 64, 60));
    canvas.fill({9, 16, 85, 24}, RGB(0x35, 0x38, 0x35));
    canvas.fill({1, 25, 99, 39}, RGB(232, 228, 220));
}

void paintStrip(Canvas& canvas, Strip strip)
{
    canvas.fill({0, 0, kStripWidth, kStripHeight}, RGB(236, 234, 228));
    if (strip == Strip::Top)
        canvas.fill({0, 0, kStripWidth, kStripHeight}, RGB(40, 46, 56));
    if (strip == Strip::Bottom)
        canvas.fill({0, 20, kStripWidth, kStripHeight}, RGB(40, 46, 56));
}

void paintOptionButton(Canvas& canvas, bool down)
{
    canvas.fill({0, 0, kOptionWidth, kOptionHeight}, down ? RGB(88, 104, 138) : RGB(214, 218, 224));
}

void paintDigit(Canvas& canvas, int digit)
{
    canvas.fill({0, 0, kDigitWidth, kDigitHeight}, RGB(40, 46, 56));
    canvas.text(std::to_string(digit), {0, 0, kDigitWidth, kDigitHeight}, {16, ui::FW_BOLD}, RGB(255, 255, 255));
}

void paintRepeatButton(Canvas& canvas, bool up)
{
    canvas.fill({0, 0, kRepeatSize, kRepeatSize}, RGB(64, 74, 90));
    canvas.fill(up ? RECT{3, 3, 7, 5} : RECT{3, 5, 7, 7}, RGB(255, 255, 255));
}

void paintAboutCamera(Canvas& canvas)
{
    canvas.fill({0, 0, kAboutSize, kAboutSize}, RGB(192, 192, 192));
    canvas.fill({8, 18, 56, 50}, RGB(40, 46, 56));
}

}  // namespace qm::panel::art
