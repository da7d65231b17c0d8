// The hourglass around camera operations. Every device call of the browser
// is bracketed by the module's BusyCursor; the dialogs' cursor handling asks
// it, so the hourglass stays while a call runs even when the pointer moves.
#pragma once

namespace qm::panel {

class BusyCursor {
public:
    BusyCursor() = default;
    // Deleting it ends and pulses, as a finished operation would.
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

    // Shows the application's wait cursor; busy from now on.
    void begin();
    // Not busy; restores the cursor, posts a mouse movement to the browser
    // (so its cursor shape is asked for at once) and waits for a message.
    void end();
    // Re-applies the current state after a 100 ms pause.
    void pulse();
    void endAndPulse();
    void beginAndPulse();
    // For WM_SETCURSOR: the arrow when idle, the hourglass when busy.
    void setCursorHook();

    bool busy() const { return busy_; }
    bool waitCursorShown() const { return waitCursorShown_; }

private:
    bool busy_ = false;
    bool waitCursorShown_ = false;
};

// The module-wide instance that brackets the camera operations.
BusyCursor& moduleBusyCursor();
// The application object's own, used while a picture is delivered.
BusyCursor& applicationBusyCursor();

// Waits for the next window message (the platform's WaitMessage).
void waitForMessage();

}  // namespace qm::panel
