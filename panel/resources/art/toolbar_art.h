// The photo browser's buttons: the toolbar (50 x 29, Connect 100 x 29) and
// the scroll column (25 x 30), each in four looks.
#pragma once

#include <string>

#include "panel/resources/art/canvas.h"

namespace qm::panel::art {

enum class Look { Normal, Pressed, Focus, Disabled };

enum class Command {
    Save,
    Transfer,
    SelectAll,
    SelectNone,
    Rotate,
    Erase,
    Settings,
    Status,
    Upload,
    Shoot,
    Connect,
    Help,
    Exit,
    PageUp,
    RowUp,
    RowDown,
    PageDown,
};

void paintToolbarButton(Canvas& canvas, Command command, const std::string& label, Look look);
void paintScrollButton(Canvas& canvas, Command command, Look look);

}  // namespace qm::panel::art
