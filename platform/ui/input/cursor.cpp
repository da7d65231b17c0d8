// Cursor shapes and the pointer position.
#include "platform/ui/backend/backend.h"
#include "platform/ui/core/window_system.h"
#include "platform/ui/input/input.h"
#include "platform/ui/input/input_state.h"

namespace qm::ui {

using namespace detail;

namespace {

HCURSOR handleFor(CursorShape shape) { return reinterpret_cast<HCURSOR>(std::uintptr_t(shape)); }

}  // namespace

HCURSOR LoadCursor(HINSTANCE, LPCSTR name)
{
    switch (reinterpret_cast<std::uintptr_t>(name)) {
    case 32512: return handleFor(CursorShape::Arrow);
    case 32513: return handleFor(CursorShape::IBeam);
    case 32514: return handleFor(CursorShape::Wait);
    case 32515: return handleFor(CursorShape::Cross);
    case 32649: return handleFor(CursorShape::Hand);
    default: return nullptr;  // cursor resources are not offered
    }
}

HCURSOR SetCursor(HCURSOR cursor)
{
    UiLock lock;
    InputState& in = inputState();
    const HCURSOR old = in.currentCursor;
    in.currentCursor = cursor;
    const auto value = reinterpret_cast<std::uintptr_t>(cursor);
    if (cursor != old && value >= std::uintptr_t(CursorShape::Arrow) && value <= std::uintptr_t(CursorShape::Hand))
        backend().setCursor(CursorShape(value));
    return old;
}

HCURSOR GetCursor()
{
    UiLock lock;
    return inputState().currentCursor;
}

BOOL SetCursorPos(int x, int y)
{
    RawInput move;
    move.kind = RawInput::Kind::MouseMove;
    move.screen = {x, y};
    backend().injectInput(move);
    return TRUE;
}

}  // namespace qm::ui
