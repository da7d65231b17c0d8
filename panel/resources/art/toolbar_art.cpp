#include "panel/resources/art/toolbar_art.h"

namespace qm::panel::art {
namespace {

COLORREF faceFor(Look look)
{
    switch (look) {
    case Look::Pressed: return RGB(40, 46, 56);
    case Look::Focus: return RGB(90, 104, 124);
    case Look::Disabled: return RGB(120, 122, 126);
    case Look::Normal: break;
    }
    return RGB(64, 74, 90);
}

}  // namespace

void paintToolbarButton(Canvas& canvas, Command, const std::string& label, Look look)
{
    canvas.fill({0, 0, canvas.width(), canvas.height()}, faceFor(look));
    canvas.text(label, {0, 0, canvas.width(), canvas.height()}, {12, ui::FW_BOLD},
                look == Look::Disabled ? RGB(130, 134, 140) : RGB(255, 255, 255));
}

void paintScrollButton(Canvas& canvas, Command command, Look look)
{
    canvas.fill({0, 0, canvas.width(), canvas.height()}, faceFor(look));
    const bool up = command == Command::PageUp || command == Command::RowUp;
    canvas.text(up ? "^" : "v", {0, 0, canvas.width(), canvas.height()}, {14, ui::FW_BOLD},
                look == Look::Disabled ? RGB(130, 134, 140) : RGB(255, 255, 255));
}

}  // namespace qm::panel::art
