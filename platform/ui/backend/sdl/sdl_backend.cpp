// The SDL2 backend: one native window per visible top-level window. SDL
// lives on a thread of its own, so whichever thread pumps messages, SDL is
// always called from the same one; the window system talks to it through a
// command queue, and input comes back as raw input in the message queue.
#include <SDL.h>

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <future>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <variant>

#include "platform/system/trace.h"
#include "platform/ui/backend/backend.h"
#include "platform/ui/backend/sdl/sdl_keys.h"
#include "platform/ui/message/message.h"

namespace qm::ui::detail {
namespace {

// Marks mouse events that automation injected through SDL.
constexpr Uint32 kInjectedMouse = 0x51D0;

struct UpdateCommand {
    HWND hwnd;
    RECT rect;
    std::string title;
    bool visible;
};
struct DestroyCommand {
    HWND hwnd;
};
struct PresentCommand {
    HWND hwnd;
    int width;
    int height;
    std::vector<std::uint8_t> pixels;  // BGR rows
};
struct CursorCommand {
    CursorShape shape;
};
struct InjectCommand {
    RawInput input;
};
struct QuitCommand {};
using Command = std::variant<UpdateCommand, DestroyCommand, PresentCommand, CursorCommand, InjectCommand, QuitCommand>;

struct NativeWindow {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0;
    int textureHeight = 0;
    RECT rect;
};

class SdlBackend : public Backend {
public:
    bool start()
    {
        std::promise<bool> started;
        auto result = started.get_future();
        thread_ = std::thread([this, &started] { run(started); });
        if (!result.get()) {
            thread_.join();
            return false;
        }
        // The display goes before the process does: a thread still inside
        // SDL while the process ends could fault or lose the connection.
        running_ = this;
        std::atexit(&SdlBackend::stopAtExit);
        return true;
    }

    static void stopAtExit()
    {
        SdlBackend* self = running_;
        if (!self || !self->thread_.joinable() || self->thread_.get_id() == std::this_thread::get_id())
            return;
        self->send(QuitCommand{});
        self->thread_.join();
    }

    const char* name() const override { return "sdl"; }
    SIZE screenSize() const override { return screen_; }
    void updateWindow(HWND top, const RECT& r, const std::string& title, bool visible) override
    {
        send(UpdateCommand{top, r, title, visible});
    }
    void destroyWindow(HWND top) override { send(DestroyCommand{top}); }
    void present(HWND top, const Surface& pixels) override
    {
        PresentCommand c{top, pixels.width(), pixels.height(), {}};
        c.pixels.resize(pixels.stride() * std::size_t(std::max(0, pixels.height())));
        for (int y = 0; y < pixels.height(); ++y)
            std::memcpy(c.pixels.data() + y * pixels.stride(), pixels.row(y), pixels.stride());
        send(std::move(c));
    }
    void setCursor(CursorShape shape) override { send(CursorCommand{shape}); }
    void injectInput(const RawInput& input) override { send(InjectCommand{input}); }

private:
    void send(Command command)
    {
        {
            std::lock_guard lock(mutex_);
            commands_.push_back(std::move(command));
        }
        SDL_Event wake{};
        wake.type = wakeEvent_;
        SDL_PushEvent(&wake);
    }

    void run(std::promise<bool>& started)
    {
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            qm::sys::trace(std::string("qm::ui: SDL cannot start: ") + SDL_GetError() + "\n");
            started.set_value(false);
            return;
        }
        SDL_DisplayMode mode;
        if (SDL_GetDesktopDisplayMode(0, &mode) == 0)
            screen_ = {mode.w, mode.h};
        wakeEvent_ = SDL_RegisterEvents(1);
        cursors_[CursorShape::Arrow] = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
        cursors_[CursorShape::IBeam] = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_IBEAM);
        cursors_[CursorShape::Wait] = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT);
        cursors_[CursorShape::Cross] = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_CROSSHAIR);
        cursors_[CursorShape::Hand] = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_HAND);
        started.set_value(true);
        SDL_Event e;
        while (!quit_ && SDL_WaitEvent(&e)) {
            if (e.type == wakeEvent_)
                runCommands();
            else
                translate(e);
        }
        for (auto& [hwnd, n] : windows_) {
            if (n.texture)
                SDL_DestroyTexture(n.texture);
            if (n.renderer)
                SDL_DestroyRenderer(n.renderer);
            if (n.window)
                SDL_DestroyWindow(n.window);
        }
        windows_.clear();
        // SDL itself stays initialised: quitting it would unload the display
        // libraries it opened while the process still holds their memory.
        // What SDL kept for this thread goes with it.
        SDL_TLSCleanup();
    }

    void runCommands()
    {
        std::deque<Command> batch;
        {
            std::lock_guard lock(mutex_);
            batch.swap(commands_);
        }
        for (Command& c : batch)
            std::visit([this](auto& command) { apply(command); }, c);
    }

    void apply(UpdateCommand& c)
    {
        NativeWindow& n = windows_[c.hwnd];
        n.rect = c.rect;
        const int w = std::max<int>(1, c.rect.right - c.rect.left), h = std::max<int>(1, c.rect.bottom - c.rect.top);
        if (!n.window && c.visible) {
            Uint32 flags = SDL_WINDOW_HIDDEN | (c.title.empty() ? SDL_WINDOW_BORDERLESS : 0);
            n.window = SDL_CreateWindow(c.title.c_str(), c.rect.left, c.rect.top, w, h, flags);
            if (!n.window)
                return;
            n.renderer = SDL_CreateRenderer(n.window, -1, SDL_RENDERER_SOFTWARE);
            byId_[SDL_GetWindowID(n.window)] = c.hwnd;
        }
        if (!n.window)
            return;
        SDL_SetWindowTitle(n.window, c.title.c_str());
        SDL_SetWindowPosition(n.window, c.rect.left, c.rect.top);
        SDL_SetWindowSize(n.window, w, h);
        if (c.visible) {
            SDL_ShowWindow(n.window);
            SDL_RaiseWindow(n.window);
        } else {
            SDL_HideWindow(n.window);
        }
    }

    void apply(DestroyCommand& c)
    {
        auto it = windows_.find(c.hwnd);
        if (it == windows_.end())
            return;
        NativeWindow& n = it->second;
        if (n.texture)
            SDL_DestroyTexture(n.texture);
        if (n.renderer)
            SDL_DestroyRenderer(n.renderer);
        if (n.window) {
            byId_.erase(SDL_GetWindowID(n.window));
            SDL_DestroyWindow(n.window);
        }
        windows_.erase(it);
    }

    void apply(PresentCommand& c)
    {
        auto it = windows_.find(c.hwnd);
        if (it == windows_.end() || !it->second.renderer || c.width <= 0 || c.height <= 0)
            return;
        NativeWindow& n = it->second;
        if (!n.texture || n.textureWidth != c.width || n.textureHeight != c.height) {
            if (n.texture)
                SDL_DestroyTexture(n.texture);
            n.texture = SDL_CreateTexture(n.renderer, SDL_PIXELFORMAT_BGR24, SDL_TEXTUREACCESS_STREAMING, c.width,
                                          c.height);
            n.textureWidth = c.width;
            n.textureHeight = c.height;
        }
        if (!n.texture)
            return;
        SDL_UpdateTexture(n.texture, nullptr, c.pixels.data(), c.width * 3);
        redraw(n);
    }

    void apply(QuitCommand&) { quit_ = true; }

    void apply(CursorCommand& c)
    {
        if (SDL_Cursor* cursor = cursors_[c.shape])
            SDL_SetCursor(cursor);
    }

    // Injected pointer input takes SDL's own path where SDL can express it.
    void apply(InjectCommand& c)
    {
        const RawInput& in = c.input;
        const bool plainMouse = in.kind != RawInput::Kind::KeyDown && in.kind != RawInput::Kind::KeyUp &&
                                in.kind != RawInput::Kind::Wheel && !in.shift && !in.control && !in.alt;
        for (auto& [hwnd, n] : windows_) {
            if (!plainMouse || !n.window || !(SDL_GetWindowFlags(n.window) & SDL_WINDOW_SHOWN))
                continue;
            const RECT& r = n.rect;
            if (in.screen.x < r.left || in.screen.x >= r.right || in.screen.y < r.top || in.screen.y >= r.bottom)
                continue;
            SDL_Event e{};
            const int x = in.screen.x - r.left, y = in.screen.y - r.top;
            if (in.kind == RawInput::Kind::MouseMove) {
                e.type = SDL_MOUSEMOTION;
                e.motion.windowID = SDL_GetWindowID(n.window);
                e.motion.which = kInjectedMouse;
                e.motion.x = x;
                e.motion.y = y;
            } else {
                e.type = in.kind == RawInput::Kind::ButtonDown ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
                e.button.windowID = SDL_GetWindowID(n.window);
                e.button.which = kInjectedMouse;
                e.button.button = in.button == 1 ? SDL_BUTTON_RIGHT : SDL_BUTTON_LEFT;
                e.button.state = e.type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
                e.button.clicks = in.click == RawInput::Click::Double ? 2 : in.click == RawInput::Click::Single ? 1 : 0;
                e.button.x = x;
                e.button.y = y;
            }
            SDL_PushEvent(&e);
            return;
        }
        messageQueue().pushInput(in);
    }

    void redraw(NativeWindow& n)
    {
        if (!n.renderer || !n.texture)
            return;
        SDL_RenderClear(n.renderer);
        SDL_RenderCopy(n.renderer, n.texture, nullptr, nullptr);
        SDL_RenderPresent(n.renderer);
    }

    NativeWindow* windowFor(Uint32 id)
    {
        auto it = byId_.find(id);
        if (it == byId_.end())
            return nullptr;
        auto w = windows_.find(it->second);
        return w == windows_.end() ? nullptr : &w->second;
    }

    void translate(const SDL_Event& e)
    {
        RawInput in;
        switch (e.type) {
        case SDL_MOUSEMOTION: {
            NativeWindow* n = windowFor(e.motion.windowID);
            if (!n)
                return;
            in.kind = RawInput::Kind::MouseMove;
            in.screen = {n->rect.left + e.motion.x, n->rect.top + e.motion.y};
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            NativeWindow* n = windowFor(e.button.windowID);
            if (!n || (e.button.button != SDL_BUTTON_LEFT && e.button.button != SDL_BUTTON_RIGHT))
                return;
            in.kind = e.type == SDL_MOUSEBUTTONDOWN ? RawInput::Kind::ButtonDown : RawInput::Kind::ButtonUp;
            in.button = e.button.button == SDL_BUTTON_RIGHT ? 1 : 0;
            in.screen = {n->rect.left + e.button.x, n->rect.top + e.button.y};
            if (e.button.which == kInjectedMouse)
                in.click = e.button.clicks == 2 ? RawInput::Click::Double : RawInput::Click::Single;
            break;
        }
        case SDL_MOUSEWHEEL: {
            in.kind = RawInput::Kind::Wheel;
            in.wheelDelta = e.wheel.y * 120;
            int x = 0, y = 0;
            SDL_GetMouseState(&x, &y);
            if (NativeWindow* n = windowFor(e.wheel.windowID))
                in.screen = {n->rect.left + x, n->rect.top + y};
            break;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            in.kind = e.type == SDL_KEYDOWN ? RawInput::Kind::KeyDown : RawInput::Kind::KeyUp;
            in.vk = virtualKeyFor(e.key.keysym.sym);
            if (in.vk == 0)
                return;
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
                if (auto it = byId_.find(e.window.windowID); it != byId_.end())
                    PostMessage(it->second, WM_CLOSE, 0, 0);
            } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED) {
                if (NativeWindow* n = windowFor(e.window.windowID))
                    redraw(*n);
            }
            return;
        default:
            return;
        }
        messageQueue().pushInput(in);
    }

    static inline SdlBackend* running_ = nullptr;
    std::thread thread_;
    bool quit_ = false;
    std::mutex mutex_;
    std::deque<Command> commands_;
    Uint32 wakeEvent_ = 0;
    SIZE screen_{1024, 768};
    std::unordered_map<HWND, NativeWindow> windows_;
    std::unordered_map<Uint32, HWND> byId_;
    std::unordered_map<CursorShape, SDL_Cursor*> cursors_;
};

}  // namespace

std::unique_ptr<Backend> makeSdlBackend()
{
    auto backend = std::make_unique<SdlBackend>();
    if (!backend->start())
        return nullptr;
    return backend;
}

}  // namespace qm::ui::detail
