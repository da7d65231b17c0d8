// Message boxes: the caller's caption and text ("\n" breaks lines) with OK,
// OK/Cancel, Yes/No or Yes/No/Cancel buttons, modal to the owner.
#pragma once

#include "platform/ui/types.h"

namespace qm::ui {

inline constexpr UINT MB_OK = 0x0000;
inline constexpr UINT MB_OKCANCEL = 0x0001;
inline constexpr UINT MB_YESNOCANCEL = 0x0003;
inline constexpr UINT MB_YESNO = 0x0004;
inline constexpr UINT MB_TYPEMASK = 0x000F;
inline constexpr UINT MB_ICONHAND = 0x0010;
inline constexpr UINT MB_ICONERROR = 0x0010;
inline constexpr UINT MB_ICONSTOP = 0x0010;
inline constexpr UINT MB_ICONQUESTION = 0x0020;
inline constexpr UINT MB_ICONEXCLAMATION = 0x0030;
inline constexpr UINT MB_ICONWARNING = 0x0030;
inline constexpr UINT MB_ICONINFORMATION = 0x0040;
inline constexpr UINT MB_ICONMASK = 0x00F0;
inline constexpr UINT MB_DEFBUTTON1 = 0x0000;
inline constexpr UINT MB_DEFBUTTON2 = 0x0100;
inline constexpr UINT MB_DEFBUTTON3 = 0x0200;
inline constexpr UINT MB_APPLMODAL = 0x0000;
inline constexpr UINT MB_TOPMOST = 0x40000;

// Returns the id of the button pressed (IDOK, IDCANCEL, IDYES, IDNO); 0 when
// the box cannot be shown. A null caption shows "Error".
int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

}  // namespace qm::ui
