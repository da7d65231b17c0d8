// Dialogs: templates in dialog units, modal and modeless dialogs, the
// default dialog procedure, keyboard navigation and dialog item access.
#pragma once

#include <string>

#include "platform/ui/resource/dialog_template.h"
#include "platform/ui/types.h"

namespace qm::ui {

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Dialog messages.
inline constexpr UINT DM_GETDEFID = 0x0400;  // WM_USER
inline constexpr UINT DM_SETDEFID = 0x0401;
inline constexpr WORD DC_HASDEFID = 0x534B;

// WM_GETDLGCODE answers.
inline constexpr LRESULT DLGC_WANTARROWS = 0x0001;
inline constexpr LRESULT DLGC_WANTTAB = 0x0002;
inline constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
inline constexpr LRESULT DLGC_WANTMESSAGE = 0x0004;
inline constexpr LRESULT DLGC_HASSETSEL = 0x0008;
inline constexpr LRESULT DLGC_DEFPUSHBUTTON = 0x0010;
inline constexpr LRESULT DLGC_UNDEFPUSHBUTTON = 0x0020;
inline constexpr LRESULT DLGC_RADIOBUTTON = 0x0040;
inline constexpr LRESULT DLGC_WANTCHARS = 0x0080;
inline constexpr LRESULT DLGC_STATIC = 0x0100;
inline constexpr LRESULT DLGC_BUTTON = 0x2000;

// The dialog window class.
inline constexpr const char* kDialogClass = "#32770";

// Dialogs from a module's resources (`name` is MAKEINTRESOURCE(id)).
HWND CreateDialogParam(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param);
inline HWND CreateDialog(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc)
{
    return CreateDialogParam(instance, name, owner, proc, 0);
}
// Returns the code given to EndDialog, or -1 when the dialog cannot be made.
LONG_PTR DialogBoxParam(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param);
inline LONG_PTR DialogBox(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc)
{
    return DialogBoxParam(instance, name, owner, proc, 0);
}
// The same from a template in memory. A child-style template (WS_CHILD)
// makes a child dialog of `owner`.
HWND CreateDialogIndirectParam(HINSTANCE instance, const DialogTemplate& tmpl, HWND owner, DLGPROC proc,
                               LPARAM param);
LONG_PTR DialogBoxIndirectParam(HINSTANCE instance, const DialogTemplate& tmpl, HWND owner, DLGPROC proc,
                                LPARAM param);
BOOL EndDialog(HWND dialog, LONG_PTR result);
LRESULT DefDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs a modal loop for an existing window until EndDialog is called for it
// (the owner is disabled meanwhile). Nested loops unwind innermost first.
LONG_PTR runModalLoop(HWND dialog, HWND owner);

// Tab, Enter, Escape and mnemonics for a dialog; true when the message was
// meant for the dialog and is now handled (then the caller must not
// translate or dispatch it).
BOOL IsDialogMessage(HWND dialog, MSG* msg);
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
BOOL MapDialogRect(HWND dialog, RECT* rect);
long GetDialogBaseUnits();

BOOL SetDlgItemText(HWND dialog, int id, LPCSTR text);
UINT GetDlgItemText(HWND dialog, int id, LPSTR buffer, int size);
std::string getDlgItemText(HWND dialog, int id);
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
// Leading blanks, an optional sign (when signed), decimal digits; anything
// else or an overflow sets *translated to FALSE and returns 0.
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);

}  // namespace qm::ui
