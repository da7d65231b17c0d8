// Window classes.
#include <algorithm>
#include <cstring>
#include <strings.h>

#include "platform/system/last_error.h"
#include "platform/ui/core/window_system.h"
#include "platform/ui/window/window.h"

namespace qm::ui {

using namespace detail;

ATOM RegisterClass(const WNDCLASS* wc)
{
    if (!wc || !wc->lpszClassName || !*wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName))
        return 0;
    UiLock lock;
    if (findClass(wc->lpszClassName)) {
        qm::sys::SetLastError(1410);  // ERROR_CLASS_ALREADY_EXISTS
        return 0;
    }
    auto cls = std::make_unique<WindowClass>();
    cls->name = wc->lpszClassName;
    cls->style = wc->style;
    cls->proc = wc->lpfnWndProc;
    cls->wndExtra = std::clamp(wc->cbWndExtra, 0, 4096);
    cls->instance = wc->hInstance;
    cls->cursor = wc->hCursor;
    cls->background = wc->hbrBackground;
    state().classes.push_back(std::move(cls));
    return ATOM(0xC000 + state().classes.size());
}

BOOL UnregisterClass(LPCSTR className, HINSTANCE)
{
    if (!className || IS_INTRESOURCE(className))
        return FALSE;
    UiLock lock;
    const WindowClass* cls = findClass(className);
    if (!cls)
        return FALSE;
    // A class with windows stays registered.
    for (const auto& [handle, w] : state().windows)
        if (w->cls == cls)
            return FALSE;
    auto& classes = state().classes;
    classes.erase(std::remove_if(classes.begin(), classes.end(), [&](const auto& c) { return c.get() == cls; }),
                  classes.end());
    return TRUE;
}

BOOL GetClassInfo(HINSTANCE, LPCSTR className, WNDCLASS* out)
{
    if (!className || !out)
        return FALSE;
    UiLock lock;
    registerSystemClasses();
    const WindowClass* cls = findClass(className);
    if (!cls)
        return FALSE;
    *out = WNDCLASS{};
    out->style = cls->style;
    out->lpfnWndProc = cls->proc;
    out->cbWndExtra = cls->wndExtra;
    out->hInstance = cls->instance;
    out->hCursor = cls->cursor;
    out->hbrBackground = cls->background;
    out->lpszClassName = cls->name.c_str();
    return TRUE;
}

int GetClassName(HWND hwnd, LPSTR buffer, int size)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w || !buffer || size <= 0)
        return 0;
    const std::size_t n = std::min(w->cls->name.size(), std::size_t(size - 1));
    std::memcpy(buffer, w->cls->name.data(), n);
    buffer[n] = '\0';
    return int(n);
}

}  // namespace qm::ui
