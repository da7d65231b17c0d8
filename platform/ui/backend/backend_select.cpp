// Choosing the backend and presenting changed pixels to it.
#include <cstdlib>
#include <cstring>

#include "platform/system/trace.h"
#include "platform/ui/backend/backend.h"
#include "platform/ui/core/clock.h"
#include "platform/ui/core/window_system.h"
#include "platform/ui/window/styles.h"

namespace qm::ui::detail {
namespace {

std::unique_ptr<Backend> choose()
{
    const char* requested = std::getenv("QM4200_UI");
    const bool haveDisplay = (std::getenv("DISPLAY") && *std::getenv("DISPLAY")) ||
                             (std::getenv("WAYLAND_DISPLAY") && *std::getenv("WAYLAND_DISPLAY"));
    const bool wantSdl = requested ? std::strcmp(requested, "sdl") == 0 : haveDisplay;
    std::unique_ptr<Backend> chosen;
    if (wantSdl) {
        chosen = makeSdlBackend();
        if (!chosen)
            qm::sys::trace("qm::ui: no display for the SDL backend, running headless\n");
    }
    if (!chosen)
        chosen = makeHeadlessBackend();
    const char* clock = std::getenv("QM4200_UI_CLOCK");
    const bool headless = std::strcmp(chosen->name(), "headless") == 0;
    useVirtualClock(headless && !(clock && std::strcmp(clock, "real") == 0));
    return chosen;
}

}  // namespace

Backend& backend()
{
    static Backend* chosen = choose().release();  // lives until exit: other threads may use it
    return *chosen;
}

std::string backendName() { return backend().name(); }

void flushPresentation()
{
    for (Window* top : state().topLevels) {
        if (!top->surfaceDirty || !(top->style & WS_VISIBLE) || !top->surface)
            continue;
        top->surfaceDirty = false;
        backend().present(top->handle, *top->surface);
    }
}

}  // namespace qm::ui::detail
