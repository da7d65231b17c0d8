// Creating and destroying windows.
#include <algorithm>
#include <cstring>

#include "platform/system/last_error.h"
#include "platform/ui/backend/backend.h"
#include "platform/ui/input/input.h"
#include "platform/ui/message/message.h"
#include "platform/ui/message/pump_internal.h"
#include "platform/ui/window/window.h"
#include "platform/ui/window/window_internal.h"

namespace qm::ui {
namespace detail {
namespace {

CreateHook createHook = nullptr;
void* createHookContext = nullptr;

void insertTopLevel(Window* w)
{
    auto& tops = state().topLevels;
    if (w->exStyle & WS_EX_TOPMOST) {
        tops.push_back(w);
        return;
    }
    auto firstTopmost = std::find_if(tops.begin(), tops.end(), [](Window* t) { return t->exStyle & WS_EX_TOPMOST; });
    tops.insert(firstTopmost, w);
}

void removeFromTree(Window* w)
{
    auto& list = w->parent ? w->parent->children : state().topLevels;
    list.erase(std::remove(list.begin(), list.end(), w), list.end());
}

void destroyRecursive(Window* w)
{
    const HWND hwnd = w->handle;
    callProc(w->proc, hwnd, WM_DESTROY, 0, 0);
    auto children = w->children;
    for (Window* c : children)
        if (windowFromHandle(c->handle) == c)
            destroyRecursive(c);
    killTimersOf(hwnd);
    dropInputState(w);
    if (Window* still = windowFromHandle(hwnd))
        callProc(still->proc, hwnd, WM_NCDESTROY, 0, 0);
    if (Window* still = windowFromHandle(hwnd)) {
        removeFromTree(still);
        if (isTopLevel(still))
            backend().destroyWindow(hwnd);
        state().windows.erase(hwnd);
    }
}

POINT defaultPosition()
{
    static int cascade = 0;
    cascade = (cascade + 1) % 8;
    return {40 + cascade * 24, 40 + cascade * 24};
}

}  // namespace
}  // namespace detail

using namespace detail;

void setCreateHook(CreateHook hook, void* context)
{
    UiLock lock;
    createHook = hook;
    createHookContext = context;
}

HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, std::intptr_t menuOrId, HINSTANCE instance, void* param)
{
    noteHostCall();
    UiLock lock;
    registerSystemClasses();
    const WindowClass* cls = className ? findClass(className) : nullptr;
    if (!cls) {
        qm::sys::SetLastError(1407);  // ERROR_CANNOT_FIND_WND_CLASS
        return nullptr;
    }
    Window* parentWindow = windowFromHandle(parent);
    if (parent && !parentWindow) {
        qm::sys::SetLastError(1400);  // ERROR_INVALID_WINDOW_HANDLE
        return nullptr;
    }
    const bool child = (style & WS_CHILD) != 0;
    if (child && !parentWindow) {
        qm::sys::SetLastError(1406);  // ERROR_TLW_WITH_WSCHILD
        return nullptr;
    }
    auto owned = std::make_unique<Window>();
    Window* w = owned.get();
    auto& st = state();
    st.nextHandle += 4;
    w->handle = reinterpret_cast<HWND>(st.nextHandle);
    w->cls = cls;
    w->proc = cls->proc;
    w->style = style & ~WS_VISIBLE;
    w->exStyle = exStyle;
    w->text = windowName ? windowName : "";
    w->instance = instance;
    w->extra.assign(std::size_t(std::max(0, cls->wndExtra) + int(sizeof(LONG_PTR)) - 1) / sizeof(LONG_PTR), 0);
    if (child) {
        w->parent = parentWindow;
        w->id = menuOrId;
    } else if (parentWindow) {
        w->owner = rootOf(parentWindow);
    }
    if (!child && (x == CW_USEDEFAULT || y == CW_USEDEFAULT)) {
        POINT p = defaultPosition();
        x = p.x;
        y = p.y;
    }
    if (width == CW_USEDEFAULT || height == CW_USEDEFAULT) {
        width = child ? 0 : 640;
        height = child ? 0 : 480;
    }
    w->rect = {x, y, x + std::max(0, width), y + std::max(0, height)};
    if (!child)
        w->surface = std::make_unique<Surface>(std::max(0, width), std::max(0, height), RGB(255, 255, 255));
    const HWND hwnd = w->handle;
    st.windows.emplace(hwnd, std::move(owned));
    // A new child goes to the bottom of its siblings, so the z-order from
    // the top is the creation order (a dialog's tab order).
    if (child)
        parentWindow->children.insert(parentWindow->children.begin(), w);
    else
        insertTopLevel(w);

    if (createHook)
        createHook(hwnd, createHookContext);
    CREATESTRUCT cs;
    cs.lpCreateParams = param;
    cs.hInstance = instance;
    cs.hwndParent = parent;
    cs.cx = width;
    cs.cy = height;
    cs.x = x;
    cs.y = y;
    cs.style = LONG(style);
    cs.lpszName = windowName;
    cs.lpszClass = className;
    cs.dwExStyle = exStyle;
    if (!windowFromHandle(hwnd) || SendMessage(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) == 0 ||
        !windowFromHandle(hwnd) || SendMessage(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!windowFromHandle(hwnd))
        return nullptr;
    RECT client;
    GetClientRect(hwnd, &client);
    SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(x, y));
    if (!windowFromHandle(hwnd))
        return nullptr;
    if (!child)
        syncNative(windowFromHandle(hwnd));
    if (style & WS_VISIBLE)
        ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

BOOL DestroyWindow(HWND hwnd)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w || w->destroying)
        return FALSE;
    w->destroying = true;
    // Windows it owns go first.
    if (isTopLevel(w)) {
        std::vector<HWND> ownedWindows;
        for (Window* t : state().topLevels)
            if (t->owner == w)
                ownedWindows.push_back(t->handle);
        for (HWND o : ownedWindows)
            DestroyWindow(o);
    }
    if ((w->style & WS_VISIBLE) && w->parent)
        invalidateUnder(w->parent, w->rect);
    destroyRecursive(w);
    return TRUE;
}

}  // namespace qm::ui
