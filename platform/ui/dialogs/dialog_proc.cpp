// The dialog class's window procedure and the default dialog handling.
#include "platform/ui/controls/control_styles.h"
#include "platform/ui/controls/controls.h"
#include "platform/ui/core/window_system.h"
#include "platform/ui/dialogs/dialog.h"
#include "platform/ui/dialogs/dialog_internal.h"
#include "platform/ui/gdi/gdi.h"
#include "platform/ui/input/input.h"
#include "platform/ui/message/message.h"
#include "platform/ui/message/pump_internal.h"
#include "platform/ui/message/queue.h"
#include "platform/ui/window/window.h"

namespace qm::ui {
namespace detail {
namespace {

// Messages whose answer is the dialog procedure's return value itself.
bool answersDirectly(UINT message)
{
    switch (message) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

void restoreFocus(HWND dialog)
{
    DialogState* d = dialogState(dialog);
    HWND target = d && IsWindow(d->savedFocus) && IsChild(dialog, d->savedFocus) ? d->savedFocus : nullptr;
    if (!target)
        target = GetNextDlgTabItem(dialog, nullptr, FALSE);
    if (target)
        SetFocus(target);
}

LRESULT dialogWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefDlgProc(hwnd, message, wParam, lParam);
}

}  // namespace

void focusControl(HWND control)
{
    if (!control)
        return;
    SetFocus(control);
    if (SendMessage(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        SendMessage(control, EM_SETSEL, 0, -1);
}

WNDPROC dialogClassProc() { return &dialogWindowProc; }

}  // namespace detail

using namespace detail;

LRESULT DefDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    UiLock lock;
    if (!IsWindow(dialog))
        return 0;
    auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtr(dialog, DWLP_DLGPROC));
    if (proc) {
        SetWindowLongPtr(dialog, DWLP_MSGRESULT, 0);
        LONG_PTR handled = 0;
        try {
            handled = proc(dialog, message, wParam, lParam);
        } catch (...) {
            handled = 0;
        }
        if (handled || answersDirectly(message)) {
            if (answersDirectly(message))
                return handled;
            return IsWindow(dialog) ? GetWindowLongPtr(dialog, DWLP_MSGRESULT) : 0;
        }
        if (!IsWindow(dialog))
            return 0;
    }
    DialogState* d = dialogState(dialog);
    switch (message) {
    case WM_CLOSE: {
        HWND cancel = GetDlgItem(dialog, IDCANCEL);
        if (!cancel || IsWindowEnabled(cancel))
            SendMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
        return 0;
    }
    case WM_ERASEBKGND: {
        HDC hdc = reinterpret_cast<HDC>(wParam);
        auto brush = reinterpret_cast<HBRUSH>(
            SendMessage(dialog, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(dialog)));
        if (!brush)
            brush = GetSysColorBrush(COLOR_BTNFACE);
        RECT r;
        GetClientRect(dialog, &r);
        FillRect(hdc, &r, brush);
        return 1;
    }
    case WM_SETFOCUS:
        restoreFocus(dialog);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            if (d && IsChild(dialog, GetFocus()))
                d->savedFocus = GetFocus();
        } else {
            restoreFocus(dialog);
        }
        return 0;
    case WM_SHOWWINDOW:
        if (wParam && d && !IsChild(dialog, GetFocus()) && GetActiveWindow() == dialog)
            restoreFocus(dialog);
        return DefWindowProc(dialog, message, wParam, lParam);
    case DM_GETDEFID:
        return d ? MAKELONG(d->defaultId, DC_HASDEFID) : 0;
    case DM_SETDEFID:
        if (d) {
            HWND old = GetDlgItem(dialog, d->defaultId);
            if (old && (SendMessage(old, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON))
                SendMessage(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
            d->defaultId = int(wParam);
            HWND next = GetDlgItem(dialog, d->defaultId);
            if (next && (SendMessage(next, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON))
                SendMessage(next, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
        }
        return TRUE;
    case WM_NEXTDLGCTL: {
        HWND target = LOWORD(std::uintptr_t(lParam)) ? reinterpret_cast<HWND>(wParam)
                                                      : GetNextDlgTabItem(dialog, GetFocus(), wParam != 0);
        focusControl(target);
        return 0;
    }
    case WM_NCDESTROY:
        dropDialogState(dialog);
        return DefWindowProc(dialog, message, wParam, lParam);
    default:
        return DefWindowProc(dialog, message, wParam, lParam);
    }
}

BOOL EndDialog(HWND dialog, LONG_PTR result)
{
    UiLock lock;
    DialogState* d = dialogState(dialog);
    if (!d)
        return FALSE;
    d->ended = true;
    d->result = result;
    // A modal loop notices at its next turn; a modeless dialog just hides.
    ShowWindow(dialog, SW_HIDE);
    messageQueue().wake();
    return TRUE;
}

LONG_PTR runModalLoop(HWND dialog, HWND owner)
{
    UiLock lock;
    if (!dialogState(dialog))
        return -1;
    HWND ownerRoot = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
    const bool disableOwner = ownerRoot && IsWindowEnabled(ownerRoot);
    if (disableOwner)
        EnableWindow(ownerRoot, FALSE);
    if (!dialogState(dialog)->ended)
        ShowWindow(dialog, SW_SHOW);
    auto stop = [](void* context) {
        DialogState* d = dialogState(static_cast<HWND>(context));
        return !d || d->ended;
    };
    MSG msg;
    for (;;) {
        const int got = getMessageUntil(&msg, stop, dialog);
        if (got < 0)
            break;
        if (got == 0) {
            // Quitting ends the dialog and lets the outer loop see WM_QUIT.
            PostQuitMessage(int(msg.wParam));
            break;
        }
        dispatchAsHost(&msg);
    }
    DialogState* d = dialogState(dialog);
    const LONG_PTR result = d && d->ended ? d->result : IDCANCEL;
    // The owner comes back before the dialog goes, so it is activated again.
    if (disableOwner && IsWindow(ownerRoot))
        EnableWindow(ownerRoot, TRUE);
    if (IsWindow(dialog))
        DestroyWindow(dialog);
    if (disableOwner && IsWindow(ownerRoot) && !GetActiveWindow())
        SetActiveWindow(ownerRoot);
    return result;
}

}  // namespace qm::ui
