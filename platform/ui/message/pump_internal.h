// Internal entry points that tie the pump to the rest of the window system.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/ui/types.h"

namespace qm::ui::detail {

// Retrieval without waiting; the caller holds the module lock.
bool peekMessageLocked(MSG* msg, HWND filter, UINT first, UINT last, UINT flags);
// Whether anything is waiting for any window (messages, input, paint, timers).
bool anythingPendingLocked();
// Milliseconds until the next timer is due (-1: none), on the current clock.
std::int64_t msUntilNextTimerLocked();
// Timer messages (message/timers.cpp).
bool takeDueTimerLocked(MSG* msg, HWND filter, bool remove);
void killTimersOf(HWND hwnd);
// Paint messages (message/paint.cpp).
HWND findWindowNeedingPaint(HWND filter);
// Input routing (input/raw_input.cpp): turns one raw event into messages.
void routeRawInputLocked();
// Idle work registered by automation; true when something ran.
bool runIdleAction();
// Host detection for the UI thread (thread/ui_thread.cpp).
void noteHostCall();
// The calling thread (a script thread) never counts as the host.
void markThreadAsNonHost();
void noteTopLevelShown();
// Dialog keyboard handling (dialogs/dialog_navigation.cpp).
bool isDialogWindow(HWND hwnd);
// GetMessage that also returns (with -1) once `stop` answers true; checked
// whenever the loop would wait. 0 means WM_QUIT was retrieved.
int getMessageUntil(MSG* msg, bool (*stop)(void*), void* context);
// What a host's loop does with one message: the pre-translate hook, dialog
// keyboard handling for the message's dialog, translation and dispatch.
void dispatchAsHost(MSG* msg);
// Calls a window procedure, keeping exceptions inside.
LRESULT callProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace qm::ui::detail
