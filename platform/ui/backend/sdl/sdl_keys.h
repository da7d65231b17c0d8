// Key codes of SDL as the platform's virtual keys.
#pragma once

#include <SDL.h>

#include "platform/ui/types.h"

namespace qm::ui::detail {

// 0 for keys the platform has no code for.
UINT virtualKeyFor(SDL_Keycode key);

}  // namespace qm::ui::detail
