// Queries and changes of the window tree and of a window's own data.
#include <algorithm>
#include <cstring>

#include "platform/ui/message/message.h"
#include "platform/ui/window/window.h"
#include "platform/ui/window/window_internal.h"

namespace qm::ui {

using namespace detail;

namespace {
// A handle for the desktop; it owns nothing and receives nothing.
const HWND kDesktop = reinterpret_cast<HWND>(std::uintptr_t(0x10000));
}

BOOL IsWindow(HWND hwnd)
{
    UiLock lock;
    return windowFromHandle(hwnd) != nullptr;
}

BOOL IsChild(HWND parent, HWND hwnd)
{
    UiLock lock;
    Window* p = windowFromHandle(parent);
    Window* w = windowFromHandle(hwnd);
    return p && w && w != p && isDescendant(w, p);
}

HWND GetParent(HWND hwnd)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w)
        return nullptr;
    if (w->parent)
        return w->parent->handle;
    return (w->style & WS_POPUP) && w->owner ? w->owner->handle : nullptr;
}

HWND SetParent(HWND hwnd, HWND newParent)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    Window* p = windowFromHandle(newParent);
    if (!w || !w->parent || !p || isDescendant(p, w))
        return nullptr;
    Window* old = w->parent;
    if (w->style & WS_VISIBLE)
        invalidateUnder(old, w->rect);
    old->children.erase(std::remove(old->children.begin(), old->children.end(), w), old->children.end());
    w->parent = p;
    p->children.insert(p->children.begin(), w);
    if (w->style & WS_VISIBLE)
        invalidateWindow(w, nullptr, true, true);
    return old->handle;
}

HWND GetWindow(HWND hwnd, UINT relation)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w)
        return nullptr;
    if (relation == GW_OWNER)
        return w->owner ? w->owner->handle : nullptr;
    if (relation == GW_CHILD)
        return w->children.empty() ? nullptr : w->children.back()->handle;
    // Siblings run from the top of the z-order down.
    const auto& list = w->parent ? w->parent->children : state().topLevels;
    auto it = std::find(list.begin(), list.end(), w);
    switch (relation) {
    case GW_HWNDFIRST: return list.back()->handle;
    case GW_HWNDLAST: return list.front()->handle;
    case GW_HWNDNEXT: return it == list.begin() ? nullptr : (*(it - 1))->handle;
    case GW_HWNDPREV: return it + 1 == list.end() ? nullptr : (*(it + 1))->handle;
    default: return nullptr;
    }
}

HWND GetAncestor(HWND hwnd, UINT flags)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w)
        return nullptr;
    if (flags == GA_PARENT)
        return w->parent ? w->parent->handle : kDesktop;
    Window* root = rootOf(w);
    if (flags == GA_ROOTOWNER)
        while (root->owner)
            root = root->owner;
    return root->handle;
}

HWND GetDesktopWindow() { return kDesktop; }

HWND GetTopWindow(HWND parent)
{
    UiLock lock;
    if (!parent || parent == kDesktop) {
        auto& tops = state().topLevels;
        return tops.empty() ? nullptr : tops.back()->handle;
    }
    Window* p = windowFromHandle(parent);
    return p && !p->children.empty() ? p->children.back()->handle : nullptr;
}

HWND GetDlgItem(HWND parent, int id)
{
    UiLock lock;
    Window* p = windowFromHandle(parent);
    if (!p)
        return nullptr;
    for (Window* c : p->children)
        if (int(c->id) == id)
            return c->handle;
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    return w && w->parent ? int(w->id) : 0;
}

LONG_PTR GetWindowLongPtr(HWND hwnd, int index)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w)
        return 0;
    switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->parent ? w->parent->handle : w->owner ? w->owner->handle : nullptr);
    case GWLP_ID: return w->id;
    case GWL_STYLE: return LONG_PTR(w->style);
    case GWL_EXSTYLE: return LONG_PTR(w->exStyle);
    case GWLP_USERDATA: return w->userData;
    default:
        if (index >= 0 && index % int(sizeof(LONG_PTR)) == 0 && std::size_t(index) / sizeof(LONG_PTR) < w->extra.size())
            return w->extra[std::size_t(index) / sizeof(LONG_PTR)];
        return 0;
    }
}

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w)
        return 0;
    LONG_PTR old = GetWindowLongPtr(hwnd, index);
    switch (index) {
    case GWLP_WNDPROC: w->proc = reinterpret_cast<WNDPROC>(value); break;
    case GWLP_HINSTANCE: w->instance = reinterpret_cast<HINSTANCE>(value); break;
    case GWLP_ID: w->id = value; break;
    case GWL_STYLE: {
        // Visibility and enabling change through ShowWindow and EnableWindow.
        const DWORD keep = WS_VISIBLE | WS_DISABLED;
        w->style = (DWORD(value) & ~keep) | (w->style & keep);
        break;
    }
    case GWL_EXSTYLE: w->exStyle = DWORD(value); break;
    case GWLP_USERDATA: w->userData = value; break;
    default:
        if (index >= 0 && index % int(sizeof(LONG_PTR)) == 0 && std::size_t(index) / sizeof(LONG_PTR) < w->extra.size())
            w->extra[std::size_t(index) / sizeof(LONG_PTR)] = value;
        else
            return 0;
    }
    return old;
}

BOOL SetProp(HWND hwnd, LPCSTR name, void* data)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w || !name)
        return FALSE;
    w->props[name] = data;
    return TRUE;
}

void* GetProp(HWND hwnd, LPCSTR name)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w || !name)
        return nullptr;
    auto it = w->props.find(name);
    return it == w->props.end() ? nullptr : it->second;
}

void* RemoveProp(HWND hwnd, LPCSTR name)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (!w || !name)
        return nullptr;
    auto it = w->props.find(name);
    if (it == w->props.end())
        return nullptr;
    void* data = it->second;
    w->props.erase(it);
    return data;
}

BOOL SetWindowText(HWND hwnd, LPCSTR text)
{
    return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) != 0;
}

int GetWindowText(HWND hwnd, LPSTR buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = '\0';
    return int(SendMessage(hwnd, WM_GETTEXT, WPARAM(size), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLength(HWND hwnd) { return int(SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0)); }

std::string getWindowText(HWND hwnd)
{
    const int n = GetWindowTextLength(hwnd);
    std::string text(std::size_t(std::max(0, n)) + 1, '\0');
    const int got = GetWindowText(hwnd, text.data(), int(text.size()));
    text.resize(std::size_t(std::max(0, got)));
    return text;
}

}  // namespace qm::ui
