// Per-dialog state kept by the dialog manager.
#pragma once

#include "platform/ui/types.h"

namespace qm::ui::detail {

struct DialogState {
    bool ended = false;
    LONG_PTR result = 0;
    int defaultId = 1;  // IDOK
    HWND savedFocus = nullptr;
    HFONT font = nullptr;
    bool ownsFont = false;
    SIZE baseUnits{6, 13};
};

// Null when the window is not a dialog made by the dialog manager.
DialogState* dialogState(HWND hwnd);
DialogState& makeDialogState(HWND hwnd);
void dropDialogState(HWND hwnd);
// Base units (average character width, height) of a font.
SIZE baseUnitsOf(HFONT font);
// Focus on a control the way keyboard navigation puts it there (an edit
// gets all its text selected).
void focusControl(HWND control);

}  // namespace qm::ui::detail
