#include "platform/ui/automation/automation.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/ui/backend/backend.h"
#include "platform/ui/core/clock.h"
#include "platform/ui/core/window_system.h"
#include "platform/ui/input/input.h"
#include "platform/ui/message/message.h"
#include "platform/ui/message/pump_internal.h"
#include "platform/ui/message/queue.h"
#include "platform/ui/window/window.h"

namespace qm::ui {
namespace detail {
namespace {

struct Answers {
    std::mutex mutex;
    std::deque<std::function<void()>> idle;
    std::deque<int> messageBoxes;
    std::deque<std::vector<std::string>> fileDialogs;
    std::vector<automation::MessageBoxRecord> log;
};

Answers& answers()
{
    static Answers* a = new Answers;
    return *a;
}

}  // namespace

bool runIdleAction()
{
    std::function<void()> action;
    {
        Answers& a = answers();
        std::lock_guard lock(a.mutex);
        if (a.idle.empty())
            return false;
        action = std::move(a.idle.front());
        a.idle.pop_front();
    }
    action();
    return true;
}

std::optional<int> takeMessageBoxAnswer()
{
    Answers& a = answers();
    std::lock_guard lock(a.mutex);
    if (a.messageBoxes.empty())
        return std::nullopt;
    int answer = a.messageBoxes.front();
    a.messageBoxes.pop_front();
    return answer;
}

std::optional<std::vector<std::string>> takeFileDialogAnswer()
{
    Answers& a = answers();
    std::lock_guard lock(a.mutex);
    if (a.fileDialogs.empty())
        return std::nullopt;
    auto answer = std::move(a.fileDialogs.front());
    a.fileDialogs.pop_front();
    return answer;
}

void whenIdleFirst(std::function<void()> action)
{
    {
        Answers& a = answers();
        std::lock_guard lock(a.mutex);
        a.idle.push_front(std::move(action));
    }
    messageQueue().wake();
}

void recordMessageBox(const automation::MessageBoxRecord& record)
{
    Answers& a = answers();
    std::lock_guard lock(a.mutex);
    a.log.push_back(record);
}

}  // namespace detail

namespace automation {

using namespace detail;

namespace {

void inject(const RawInput& in) { backend().injectInput(in); }

RawInput mouse(RawInput::Kind kind, POINT screen, Modifiers m, Button b)
{
    RawInput in;
    in.kind = kind;
    in.screen = screen;
    in.button = b == Button::Right ? 1 : 0;
    in.explicitModifiers = true;
    in.shift = m.shift;
    in.control = m.control;
    in.alt = m.alt;
    return in;
}

bool toScreen(HWND window, POINT& p)
{
    return ClientToScreen(window, &p) != FALSE;
}

POINT centreOf(HWND control)
{
    RECT r;
    GetClientRect(control, &r);
    return {r.right / 2, r.bottom / 2};
}

void clickScreen(POINT screen, Modifiers m, Button b, int count)
{
    inject(mouse(RawInput::Kind::MouseMove, screen, m, b));
    for (int i = 0; i < count; ++i) {
        RawInput down = mouse(RawInput::Kind::ButtonDown, screen, m, b);
        down.click = i == 0 ? RawInput::Click::Single : RawInput::Click::Double;
        inject(down);
        inject(mouse(RawInput::Kind::ButtonUp, screen, m, b));
    }
}

HWND findControlIn(HWND parent, int id, bool visibleOnly)
{
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(c) == id && (!visibleOnly || IsWindowVisible(c)))
            return c;
        if (HWND inner = findControlIn(c, id, visibleOnly))
            return inner;
    }
    return nullptr;
}

void key(RawInput::Kind kind, UINT vk)
{
    RawInput in;
    in.kind = kind;
    in.vk = vk;
    inject(in);
}

}  // namespace

std::vector<HWND> topLevelWindows()
{
    noteHostCall();
    UiLock lock;
    std::vector<HWND> out;
    const auto& tops = state().topLevels;
    for (auto it = tops.rbegin(); it != tops.rend(); ++it)
        if ((*it)->style & WS_VISIBLE)
            out.push_back((*it)->handle);
    return out;
}

HWND findWindow(std::string_view caption)
{
    for (HWND w : topLevelWindows())
        if (getWindowText(w) == caption)
            return w;
    return nullptr;
}

HWND findControl(HWND window, int id)
{
    UiLock lock;
    if (HWND visible = findControlIn(window, id, true))
        return visible;
    return findControlIn(window, id, false);
}

bool click(HWND control, Modifiers m, Button b) { return clickAt(control, centreOf(control), m, b); }
bool doubleClick(HWND control, Modifiers m, Button b) { return doubleClickAt(control, centreOf(control), m, b); }

bool clickAt(HWND window, POINT client, Modifiers m, Button b)
{
    noteHostCall();
    if (!toScreen(window, client))
        return false;
    clickScreen(client, m, b, 1);
    return true;
}

bool doubleClickAt(HWND window, POINT client, Modifiers m, Button b)
{
    noteHostCall();
    if (!toScreen(window, client))
        return false;
    clickScreen(client, m, b, 2);
    return true;
}

void moveMouseTo(HWND window, POINT client)
{
    if (toScreen(window, client))
        inject(mouse(RawInput::Kind::MouseMove, client, {}, Button::Left));
}

void pressButton(HWND window, POINT client, Button b)
{
    if (toScreen(window, client)) {
        inject(mouse(RawInput::Kind::MouseMove, client, {}, b));
        RawInput down = mouse(RawInput::Kind::ButtonDown, client, {}, b);
        down.click = RawInput::Click::Single;
        inject(down);
    }
}

void releaseButton(HWND window, POINT client, Button b)
{
    if (toScreen(window, client))
        inject(mouse(RawInput::Kind::ButtonUp, client, {}, b));
}

void pressKey(UINT vk, Modifiers m)
{
    noteHostCall();
    if (m.control)
        key(RawInput::Kind::KeyDown, VK_CONTROL);
    if (m.shift)
        key(RawInput::Kind::KeyDown, VK_SHIFT);
    if (m.alt)
        key(RawInput::Kind::KeyDown, VK_MENU);
    key(RawInput::Kind::KeyDown, vk);
    key(RawInput::Kind::KeyUp, vk);
    if (m.alt)
        key(RawInput::Kind::KeyUp, VK_MENU);
    if (m.shift)
        key(RawInput::Kind::KeyUp, VK_SHIFT);
    if (m.control)
        key(RawInput::Kind::KeyUp, VK_CONTROL);
}

void typeText(std::string_view text)
{
    for (char c : text) {
        if (c >= 'a' && c <= 'z')
            pressKey(UINT(c - 'a' + 'A'));
        else if (c >= 'A' && c <= 'Z')
            pressKey(UINT(c), {.shift = true});
        else if (c >= '0' && c <= '9')
            pressKey(UINT(c));
        else if (c == ' ')
            pressKey(VK_SPACE);
        else if (c == '.')
            pressKey(VK_OEM_PERIOD);
        else if (c == '-')
            pressKey(VK_OEM_MINUS);
        else if (c == '_')
            pressKey(VK_OEM_MINUS, {.shift = true});
        else if (c == '\n')
            pressKey(VK_RETURN);
    }
}

bool pumpPending()
{
    noteHostCall();
    return processPendingMessages(nullptr);
}

void runFor(std::uint32_t milliseconds)
{
    noteHostCall();
    const std::uint32_t end = clockNow() + milliseconds;
    pumpPending();
    for (;;) {
        std::int64_t next;
        {
            UiLock lock;
            next = msUntilNextTimerLocked();
        }
        const std::int64_t left = std::int64_t(std::int32_t(end - clockNow()));
        if (next < 0 || next > left) {
            if (left > 0)
                advanceVirtualClock(std::uint32_t(left));
            pumpPending();
            return;
        }
        advanceVirtualClock(std::uint32_t(next));
        pumpPending();
    }
}

void advanceClock(std::uint32_t milliseconds)
{
    clockIsVirtual();  // the backend picks the clock before it moves
    advanceVirtualClock(milliseconds);
    messageQueue().wake();
}

std::uint32_t clockNow() { return now(); }

void useVirtualSystemClock(bool enabled)
{
    clockIsVirtual();
    bindSystemClock(enabled);
}

void whenIdle(std::function<void()> action)
{
    {
        Answers& a = answers();
        std::lock_guard lock(a.mutex);
        a.idle.push_back(std::move(action));
    }
    messageQueue().wake();
}

void answerNextMessageBox(int buttonId)
{
    Answers& a = answers();
    std::lock_guard lock(a.mutex);
    a.messageBoxes.push_back(buttonId);
}

void answerNextFileDialog(std::vector<std::string> paths)
{
    Answers& a = answers();
    std::lock_guard lock(a.mutex);
    a.fileDialogs.push_back(std::move(paths));
}

std::vector<MessageBoxRecord> messageBoxes()
{
    Answers& a = answers();
    std::lock_guard lock(a.mutex);
    return a.log;
}

void clearMessageBoxes()
{
    Answers& a = answers();
    std::lock_guard lock(a.mutex);
    a.log.clear();
}

COLORREF Image::at(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0;
    const std::uint8_t* p = rgb.data() + (std::size_t(y) * width + x) * 3;
    return RGB(p[0], p[1], p[2]);
}

std::optional<Image> capture(HWND window)
{
    UiLock lock;
    Window* w = windowFromHandle(window);
    if (!w)
        return std::nullopt;
    Window* root = rootOf(w);
    if (!root->surface)
        return std::nullopt;
    const POINT client = clientOriginInRoot(w);
    const RECT cr = clientRectInWindow(w);
    const LONG left = client.x - cr.left, top = client.y - cr.top;
    Image image;
    image.width = w->rect.right - w->rect.left;
    image.height = w->rect.bottom - w->rect.top;
    image.rgb.resize(std::size_t(image.width) * image.height * 3);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const COLORREF c = root->surface->pixel(left + x, top + y);
            std::uint8_t* p = image.rgb.data() + (std::size_t(y) * image.width + x) * 3;
            p[0] = GetRValue(c);
            p[1] = GetGValue(c);
            p[2] = GetBValue(c);
        }
    return image;
}

COLORREF pixelAt(HWND window, int x, int y)
{
    UiLock lock;
    Window* w = windowFromHandle(window);
    if (!w || !rootOf(w)->surface)
        return 0;
    const POINT o = clientOriginInRoot(w);
    return rootOf(w)->surface->pixel(o.x + x, o.y + y);
}

bool screenshot(HWND window, const std::string& pngPath)
{
    auto image = capture(window);
    return image && writePng(*image, pngPath);
}

bool runOnUiThread(const std::function<void()>& action, std::uint32_t timeoutMs)
{
    struct Done {
        std::mutex mutex;
        std::condition_variable cv;
        bool done = false;
    };
    auto done = std::make_shared<Done>();
    messageQueue().pushTask([done, action] {
        action();
        std::lock_guard lock(done->mutex);
        done->done = true;
        done->cv.notify_all();
    });
    std::unique_lock lock(done->mutex);
    return done->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return done->done; });
}

bool waitForInputHandled(std::uint32_t timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        {
            auto& q = messageQueue();
            std::lock_guard lock(q.mutex());
            bool pending = !q.input().empty();
            for (const MSG& m : q.posted())
                pending = pending || (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) ||
                          (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST);
            if (!pending)
                return true;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        // The pumping thread works through it; look again shortly.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

HWND waitForWindow(std::string_view caption, std::uint32_t timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const std::string wanted(caption);
    for (;;) {
        // Looked up on the pumping thread, where windows change; the answer
        // is shared so a late lookup never writes into a finished wait.
        auto found = std::make_shared<std::atomic<HWND>>(nullptr);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (!runOnUiThread([found, wanted] { found->store(findWindow(wanted)); },
                           std::uint32_t(std::max<std::int64_t>(1, left.count()))))
            return nullptr;
        if (HWND hwnd = found->load())
            return hwnd;
        if (std::chrono::steady_clock::now() >= deadline)
            return nullptr;
        // Windows appear as the pumping thread runs; look again shortly.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace automation
}  // namespace qm::ui
