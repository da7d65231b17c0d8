// The message loop: sending and posting, retrieval with paint and timer
// synthesis, translation, dispatch, timers, registered messages and the
// pre-translate hook.
#pragma once

#include "platform/ui/message/messages.h"
#include "platform/ui/types.h"

namespace qm::ui {

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Posting works from any thread. A null window posts a thread message.
BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

// Returns 0 for WM_QUIT, -1 for an invalid filter window, else 1. Blocks
// until a message is available.
BOOL GetMessage(MSG* msg, HWND filter, UINT first, UINT last);
BOOL PeekMessage(MSG* msg, HWND filter, UINT first, UINT last, UINT flags);
// Returns when a message is available; in headless mode without one it
// returns at once (nothing outside the process can deliver one).
BOOL WaitMessage();
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessage(const MSG* msg);
DWORD GetMessageTime();
POINT getMessagePos();

// Timers: WM_TIMER with the id, at most one pending per timer. A null window
// makes a thread timer whose id the platform chooses. Returns 0 on failure.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

// Same name, same number, process-wide; 0 for an empty name.
UINT RegisterWindowMessage(LPCSTR name);

// Paint.
struct PAINTSTRUCT {
    HDC hdc = nullptr;
    BOOL fErase = FALSE;
    RECT rcPaint;
};
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL UpdateWindow(HWND hwnd);
BOOL RedrawWindow(HWND hwnd, const RECT* rect, void* region, UINT flags);
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);

// The pre-translate hook sees every message that a dialog-aware loop of the
// platform handles (modal loops, IsDialogMessage, the UI thread) before any
// dialog processing; returning true consumes the message.
using PreTranslateHook = bool (*)(MSG* msg);
void setPreTranslateHook(PreTranslateHook hook);
bool callPreTranslateHook(MSG* msg);

// Handles every waiting message the way a host's loop would (pre-translate
// hook, dialog keyboard handling, translation, dispatch). Returns false when
// WM_QUIT was seen (it is posted again).
bool processPendingMessages(HWND filter = nullptr);

}  // namespace qm::ui
