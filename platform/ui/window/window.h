// Windows: classes, creation and destruction, the parent/child/owner tree,
// styles, geometry, z-order and text.
#pragma once

#include <string>

#include "platform/ui/message/messages.h"
#include "platform/ui/types.h"
#include "platform/ui/window/styles.h"

namespace qm::ui {

struct WNDCLASS {
    UINT style = 0;
    WNDPROC lpfnWndProc = nullptr;
    int cbClsExtra = 0;
    int cbWndExtra = 0;
    HINSTANCE hInstance = nullptr;
    HICON hIcon = nullptr;
    HCURSOR hCursor = nullptr;
    HBRUSH hbrBackground = nullptr;
    LPCSTR lpszMenuName = nullptr;
    LPCSTR lpszClassName = nullptr;
};

// Class names are case-insensitive. Registering a name twice fails.
ATOM RegisterClass(const WNDCLASS* wc);
BOOL UnregisterClass(LPCSTR className, HINSTANCE instance);
BOOL GetClassInfo(HINSTANCE instance, LPCSTR className, WNDCLASS* out);
int GetClassName(HWND hwnd, LPSTR buffer, int size);

// CW_USEDEFAULT places a top-level window at a default position.
inline constexpr int CW_USEDEFAULT = int(0x80000000);

// `menuOrId` is the control id of a child window.
HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, std::intptr_t menuOrId, HINSTANCE instance,
                    void* param);
inline HWND CreateWindow(LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                         int height, HWND parent, std::intptr_t menuOrId, HINSTANCE instance, void* param)
{
    return CreateWindowEx(0, className, windowName, style, x, y, width, height, parent, menuOrId, instance,
                          param);
}
BOOL DestroyWindow(HWND hwnd);

BOOL IsWindow(HWND hwnd);
BOOL IsChild(HWND parent, HWND hwnd);
HWND GetParent(HWND hwnd);  // the owner of a popup window, as the platform does
HWND SetParent(HWND hwnd, HWND newParent);
HWND GetWindow(HWND hwnd, UINT relation);
HWND GetAncestor(HWND hwnd, UINT flags);
HWND GetDesktopWindow();
HWND GetTopWindow(HWND parent);  // null parent: the topmost top-level window
HWND GetDlgItem(HWND parent, int id);  // searches direct children
int GetDlgCtrlID(HWND hwnd);

LONG_PTR GetWindowLongPtr(HWND hwnd, int index);
LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value);
inline LONG GetWindowLong(HWND hwnd, int index) { return LONG(GetWindowLongPtr(hwnd, index)); }
inline LONG SetWindowLong(HWND hwnd, int index, LONG value) { return LONG(SetWindowLongPtr(hwnd, index, value)); }
BOOL SetProp(HWND hwnd, LPCSTR name, void* data);
void* GetProp(HWND hwnd, LPCSTR name);
void* RemoveProp(HWND hwnd, LPCSTR name);

BOOL ShowWindow(HWND hwnd, int command);  // returns whether it was visible
BOOL IsWindowVisible(HWND hwnd);
BOOL EnableWindow(HWND hwnd, BOOL enable);  // returns whether it was disabled
BOOL IsWindowEnabled(HWND hwnd);

BOOL GetWindowRect(HWND hwnd, RECT* rect);  // screen coordinates
BOOL GetClientRect(HWND hwnd, RECT* rect);  // origin (0, 0)
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags);
BOOL BringWindowToTop(HWND hwnd);
BOOL ClientToScreen(HWND hwnd, POINT* point);
BOOL ScreenToClient(HWND hwnd, POINT* point);
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
BOOL CenterWindow(HWND hwnd, HWND over);  // centres over a window, or the screen

// The visible, enabled window under a screen point (controls that answer
// HTTRANSPARENT let the point through).
HWND WindowFromPoint(POINT screenPoint);
HWND ChildWindowFromPoint(HWND parent, POINT clientPoint);

BOOL SetWindowText(HWND hwnd, LPCSTR text);
int GetWindowText(HWND hwnd, LPSTR buffer, int size);
int GetWindowTextLength(HWND hwnd);
std::string getWindowText(HWND hwnd);

int GetSystemMetrics(int index);

// Window procedures.
LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Called right after a window exists and before it receives its first message,
// on the creating thread (the class framework attaches its objects here).
using CreateHook = void (*)(HWND hwnd, void* context);
void setCreateHook(CreateHook hook, void* context);

}  // namespace qm::ui
