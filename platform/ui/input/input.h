// Keyboard focus, mouse capture, activation, key state and cursors.
#pragma once

#include "platform/ui/input/keys.h"
#include "platform/ui/types.h"

namespace qm::ui {

HWND SetFocus(HWND hwnd);  // returns the window that had the focus
HWND GetFocus();
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
BOOL SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();

// High bit set while the key is down.
short GetKeyState(int vk);
short GetAsyncKeyState(int vk);

BOOL GetCursorPos(POINT* point);
BOOL SetCursorPos(int x, int y);

// Standard cursors by id.
inline LPCSTR const IDC_ARROW = reinterpret_cast<LPCSTR>(32512);
inline LPCSTR const IDC_IBEAM = reinterpret_cast<LPCSTR>(32513);
inline LPCSTR const IDC_WAIT = reinterpret_cast<LPCSTR>(32514);
inline LPCSTR const IDC_CROSS = reinterpret_cast<LPCSTR>(32515);
inline LPCSTR const IDC_HAND = reinterpret_cast<LPCSTR>(32649);
HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name);
HCURSOR SetCursor(HCURSOR cursor);  // returns the previous cursor
HCURSOR GetCursor();
UINT GetDoubleClickTime();

}  // namespace qm::ui
