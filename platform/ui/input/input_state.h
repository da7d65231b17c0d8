// Keyboard and pointer state kept by the input router.
#pragma once

#include <array>

#include "platform/ui/types.h"

namespace qm::ui::detail {

struct InputState {
    std::array<bool, 256> keyDown{};
    POINT cursor{};
    HCURSOR currentCursor = nullptr;
    // Double-click tracking.
    HWND lastDownWindow = nullptr;
    int lastDownButton = -1;
    DWORD lastDownTime = 0;
    POINT lastDownPoint{};
    bool lastWasDouble = false;
};

InputState& inputState();

}  // namespace qm::ui::detail
