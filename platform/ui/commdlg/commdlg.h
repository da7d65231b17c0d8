// The Open and Save As common dialogs, with the hook and child-template
// interface that customised dialogs use.
//
// Paths are the host's ('/' separated); a name given with '\' separators
// (and no '/') is read with '\' as the separator. Filters are the platform's
// "description\0pattern[;pattern]\0...\0\0" lists.
#pragma once

#include "platform/ui/message/messages.h"
#include "platform/ui/types.h"

namespace qm::ui {

using LPOFNHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

struct OPENFILENAME {
    DWORD lStructSize = sizeof(OPENFILENAME);
    HWND hwndOwner = nullptr;
    HINSTANCE hInstance = nullptr;
    LPCSTR lpstrFilter = nullptr;
    LPSTR lpstrCustomFilter = nullptr;
    DWORD nMaxCustFilter = 0;
    DWORD nFilterIndex = 0;  // 1-based; 0 takes the first
    LPSTR lpstrFile = nullptr;
    DWORD nMaxFile = 0;
    LPSTR lpstrFileTitle = nullptr;
    DWORD nMaxFileTitle = 0;
    LPCSTR lpstrInitialDir = nullptr;
    LPCSTR lpstrTitle = nullptr;
    DWORD Flags = 0;
    WORD nFileOffset = 0;
    WORD nFileExtension = 0;
    LPCSTR lpstrDefExt = nullptr;
    LPARAM lCustData = 0;
    LPOFNHOOKPROC lpfnHook = nullptr;
    LPCSTR lpTemplateName = nullptr;  // MAKEINTRESOURCE(id) in hInstance
};

inline constexpr DWORD OFN_READONLY = 0x00000001;
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
inline constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
inline constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
inline constexpr DWORD OFN_ENABLEHOOK = 0x00000020;
inline constexpr DWORD OFN_ENABLETEMPLATE = 0x00000040;
inline constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
inline constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
inline constexpr DWORD OFN_EXPLORER = 0x00080000;

// Notifications to the hook (WM_NOTIFY with an OFNOTIFY).
inline constexpr UINT CDN_FIRST = 0u - 601u;
inline constexpr UINT CDN_INITDONE = CDN_FIRST;
inline constexpr UINT CDN_SELCHANGE = CDN_FIRST - 1;
inline constexpr UINT CDN_FOLDERCHANGE = CDN_FIRST - 2;
inline constexpr UINT CDN_FILEOK = CDN_FIRST - 5;
inline constexpr UINT CDN_TYPECHANGE = CDN_FIRST - 6;
struct OFNOTIFY {
    NMHDR hdr;
    OPENFILENAME* lpOFN = nullptr;
    LPSTR pszFile = nullptr;
};

// Messages the hook sends to the common dialog (its child dialog's parent).
// The GET messages copy into (wParam = size, lParam = buffer) and return the
// length with the NUL, or the size needed when the buffer is too small.
inline constexpr UINT CDM_FIRST = WM_USER + 100;
inline constexpr UINT CDM_GETSPEC = CDM_FIRST;
inline constexpr UINT CDM_GETFILEPATH = CDM_FIRST + 1;
inline constexpr UINT CDM_GETFOLDERPATH = CDM_FIRST + 2;
inline constexpr UINT CDM_SETCONTROLTEXT = CDM_FIRST + 4;
inline constexpr UINT CDM_HIDECONTROL = CDM_FIRST + 5;
inline constexpr UINT CDM_SETDEFEXT = CDM_FIRST + 6;

// The hook's refusal of the chosen name: answer this registered message
// (sent with the OPENFILENAME as lParam) with nonzero.
inline constexpr const char* FILEOKSTRING = "commdlg_FileNameOK";
inline constexpr const char* LBSELCHSTRING = "commdlg_LBSelChangedNotify";

// Ids of the common dialog's own controls.
inline constexpr int chx1 = 1040;  // read-only box
inline constexpr int stc2 = 1089;  // file-type label
inline constexpr int stc3 = 1090;  // file-name label
inline constexpr int stc4 = 1091;  // folder label
inline constexpr int stc32 = 1119;  // where a child template wants the standard controls
inline constexpr int lst1 = 1120;  // the file list
inline constexpr int cmb1 = 1136;  // file-type list
inline constexpr int cmb2 = 1137;  // the folder shown
inline constexpr int edt1 = 1152;  // file name
inline constexpr int kUpButtonId = 1184;

inline constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;
inline constexpr DWORD CDERR_DIALOGFAILURE = 0xFFFF;

BOOL GetOpenFileName(OPENFILENAME* ofn);
BOOL GetSaveFileName(OPENFILENAME* ofn);
DWORD CommDlgExtendedError();

}  // namespace qm::ui
