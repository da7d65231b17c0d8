// Driving the user interface from tests, tools and scripts: finding windows
// and controls, synthetic mouse and keyboard input (it enters like real
// input: hit-testing, capture, focus, WM_SETCURSOR), answers for the next
// message box or file dialog, running loops on the virtual clock, and
// pixels and screenshots.
//
// Input functions only queue the input; it is handled when messages are
// pumped (pumpPending, a modal loop, or the host's loop).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/types.h"

namespace qm::ui::automation {

struct Modifiers {
    bool shift = false;
    bool control = false;
    bool alt = false;
};
enum class Button { Left, Right };

// Visible top-level windows, topmost first.
std::vector<HWND> topLevelWindows();
// The topmost visible top-level window with exactly this caption.
HWND findWindow(std::string_view caption);
// A control by id anywhere inside the window; visible controls win over
// hidden ones with the same id.
HWND findControl(HWND window, int id);

bool click(HWND control, Modifiers modifiers = {}, Button button = Button::Left);
bool doubleClick(HWND control, Modifiers modifiers = {}, Button button = Button::Left);
bool clickAt(HWND window, POINT client, Modifiers modifiers = {}, Button button = Button::Left);
bool doubleClickAt(HWND window, POINT client, Modifiers modifiers = {}, Button button = Button::Left);
void moveMouseTo(HWND window, POINT client);
void pressButton(HWND window, POINT client, Button button = Button::Left);    // down only
void releaseButton(HWND window, POINT client, Button button = Button::Left);  // up only
// A key pressed and released, with the modifiers held around it.
void pressKey(UINT vk, Modifiers modifiers = {});
// Letters, digits, space and a few signs as the keys that type them.
void typeText(std::string_view text);

// Handles every waiting message as a host's loop would; false after WM_QUIT.
bool pumpPending();
// Moves the virtual clock on in steps to each timer's due time, handling the
// messages at every step, as if the time passed in a message loop.
void runFor(std::uint32_t milliseconds);
void advanceClock(std::uint32_t milliseconds);
std::uint32_t clockNow();
// While set, the system layer's GetTickCount and Sleep follow the virtual
// clock (Sleep then returns at once, moving the clock).
void useVirtualSystemClock(bool enabled);

// Work for the pumping thread when a loop next waits with nothing to do
// (a modal loop, typically). Actions run in the order given.
void whenIdle(std::function<void()> action);
// The next message box is answered with this button id (IDOK, IDYES, ...).
void answerNextMessageBox(int buttonId);
// The next Open or Save As dialog is answered with these paths (the first
// one's folder is entered, the names typed, and OK pressed); an empty list
// cancels it.
void answerNextFileDialog(std::vector<std::string> paths);

struct MessageBoxRecord {
    std::string caption;
    std::string text;
    UINT type = 0;
    int answer = 0;
};
// Every message box shown since the last clear, oldest first.
std::vector<MessageBoxRecord> messageBoxes();
void clearMessageBoxes();

// Pixels of a window (its frame included), rows top first, RGB.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    COLORREF at(int x, int y) const;
};
std::optional<Image> capture(HWND window);
// One pixel of a window's client area.
COLORREF pixelAt(HWND window, int x, int y);
bool screenshot(HWND window, const std::string& pngPath);
bool writePng(const Image& image, const std::string& pngPath);

// From a thread that does not pump: runs the action on the pumping thread
// (at its next message retrieval) and waits for it; false on time-out.
bool runOnUiThread(const std::function<void()>& action, std::uint32_t timeoutMs = 30000);
// From a thread that does not pump: waits (real time) until the input given
// so far has been handled by the pumping thread; false on time-out.
bool waitForInputHandled(std::uint32_t timeoutMs);
// From a thread that does not pump: waits (real time) until a visible
// top-level window with the caption exists.
HWND waitForWindow(std::string_view caption, std::uint32_t timeoutMs);

}  // namespace qm::ui::automation

namespace qm::ui::detail {
// Taken by the message box and the file dialogs when they start.
std::optional<int> takeMessageBoxAnswer();
std::optional<std::vector<std::string>> takeFileDialogAnswer();
void recordMessageBox(const automation::MessageBoxRecord& record);
// Idle work that must run before anything already waiting (the answer of the
// dialog that just opened).
void whenIdleFirst(std::function<void()> action);
}  // namespace qm::ui::detail
