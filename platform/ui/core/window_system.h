// The window system's process-wide state. Everything here is touched only
// while the module lock is held (UiLock); the message queue has its own lock
// so that other threads can post without waiting for module code.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/system/threads.h"
#include "platform/ui/core/region.h"
#include "platform/ui/gdi/surface.h"
#include "platform/ui/types.h"
#include "platform/ui/window/styles.h"

namespace qm::ui::detail {

using UiLock = qm::sys::ModuleEntryGuard;

struct WindowClass {
    std::string name;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int wndExtra = 0;
    HINSTANCE instance = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
};

struct Window {
    HWND handle = nullptr;
    const WindowClass* cls = nullptr;
    WNDPROC proc = nullptr;
    Window* parent = nullptr;  // child windows only
    Window* owner = nullptr;   // top-level windows only
    std::vector<Window*> children;  // z-order, bottom first
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect;  // in the parent's client coordinates; screen for top-level
    std::string text;
    LONG_PTR id = 0;
    LONG_PTR userData = 0;
    HINSTANCE instance = nullptr;
    std::vector<LONG_PTR> extra;
    HFONT font = nullptr;
    Region update;       // client coordinates
    bool eraseNeeded = false;
    bool destroying = false;
    // Top-level windows keep their pixels here; children draw into their
    // top-level ancestor's surface.
    std::unique_ptr<Surface> surface;
    bool surfaceDirty = false;
    std::unordered_map<std::string, void*> props;
};

struct State {
    std::unordered_map<HWND, std::unique_ptr<Window>> windows;
    std::vector<Window*> topLevels;  // z-order, bottom first
    std::uintptr_t nextHandle = 0x10000;
    std::vector<std::unique_ptr<WindowClass>> classes;
    HWND focus = nullptr;
    HWND capture = nullptr;
    HWND active = nullptr;
};

State& state();

Window* windowFromHandle(HWND hwnd);
bool isTopLevel(const Window* w);
Window* rootOf(Window* w);
bool isDescendant(const Window* w, const Window* ancestor);  // w == ancestor counts
bool isReallyVisible(const Window* w);  // it and every ancestor visible

// Geometry.
RECT clientRectInWindow(const Window* w);  // the client area inside the window rect
POINT clientOriginOnScreen(const Window* w);
RECT windowRectOnScreen(const Window* w);
// Offset of a window's client origin within its top-level surface.
POINT clientOriginInRoot(const Window* w);
// The part of the top-level surface a window's client area may draw on.
Region visibleClientRegion(const Window* w, bool clipChildren);
// The same for the whole window, frame included.
Region visibleWindowRegion(const Window* w);

const WindowClass* findClass(const std::string& name);
void registerSystemClasses();

}  // namespace qm::ui::detail
