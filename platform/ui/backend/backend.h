// What the window system needs from a display: native windows for the
// top-level windows, presenting their pixels, the cursor shape and the screen
// size. Input arrives through the message queue's raw input.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/gdi/surface.h"
#include "platform/ui/message/queue.h"
#include "platform/ui/types.h"

namespace qm::ui::detail {

enum class CursorShape { Arrow = 1, IBeam, Wait, Cross, Hand };

class Backend {
public:
    virtual ~Backend() = default;
    virtual const char* name() const = 0;
    virtual SIZE screenSize() const = 0;
    // A top-level window appeared, changed place, title or visibility.
    virtual void updateWindow(HWND top, const RECT& screenRect, const std::string& title, bool visible) = 0;
    virtual void destroyWindow(HWND top) = 0;
    // New pixels of a visible top-level window.
    virtual void present(HWND top, const Surface& pixels) = 0;
    virtual void setCursor(CursorShape shape) = 0;
    // Synthetic input (automation) enters the way the backend's real input does.
    virtual void injectInput(const RawInput& input) { messageQueue().pushInput(input); }
};

// Chosen once: QM4200_UI=headless or sdl; otherwise SDL when a display is
// present, else headless.
Backend& backend();
// Tests and tools may ask which one is active without creating windows.
std::string backendName();

std::unique_ptr<Backend> makeHeadlessBackend();
// Null when SDL cannot open a display.
std::unique_ptr<Backend> makeSdlBackend();

// Sends the pixels of every visible top-level window that changed.
void flushPresentation();

}  // namespace qm::ui::detail
