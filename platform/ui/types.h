// The window system's basic types: handles, messages, rectangles and colours,
// with the names and layouts the modules' code expects of the platform.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/system/library.h"

namespace qm::ui {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using BOOL = int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LONG_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using ATOM = WORD;
using COLORREF = DWORD;
using LPCSTR = const char*;
using LPSTR = char*;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

// Opaque pointer-sized handles; each kind its own type. Graphic objects share
// a base so that SelectObject and DeleteObject take any of them.
struct HWND__;
using HWND = HWND__*;
struct HDC__;
using HDC = HDC__*;
struct HGDIOBJ__ {};
using HGDIOBJ = HGDIOBJ__*;
struct HBITMAP__ : HGDIOBJ__ {};
using HBITMAP = HBITMAP__*;
struct HFONT__ : HGDIOBJ__ {};
using HFONT = HFONT__*;
struct HPEN__ : HGDIOBJ__ {};
using HPEN = HPEN__*;
struct HBRUSH__ : HGDIOBJ__ {};
using HBRUSH = HBRUSH__*;
struct HCURSOR__;
using HCURSOR = HCURSOR__*;
using HICON = HCURSOR;
// A module's instance: its base address or the handle LoadLibrary returned.
using HINSTANCE = qm::sys::HMODULE;
using HMODULE = qm::sys::HMODULE;

struct POINT {
    LONG x = 0;
    LONG y = 0;
};
struct SIZE {
    LONG cx = 0;
    LONG cy = 0;
};
struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};
inline bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }
inline bool operator==(const SIZE& a, const SIZE& b) { return a.cx == b.cx && a.cy == b.cy; }
inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    POINT pt;
};

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using DLGPROC = LONG_PTR (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

constexpr COLORREF RGB(int r, int g, int b)
{
    return COLORREF(BYTE(r)) | (COLORREF(BYTE(g)) << 8) | (COLORREF(BYTE(b)) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return BYTE(c); }
constexpr BYTE GetGValue(COLORREF c) { return BYTE(c >> 8); }
constexpr BYTE GetBValue(COLORREF c) { return BYTE(c >> 16); }

constexpr WORD LOWORD(std::uintptr_t v) { return WORD(v & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t v) { return WORD((v >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(int low, int high) { return LPARAM(DWORD(WORD(low)) | (DWORD(WORD(high)) << 16)); }
constexpr WPARAM MAKEWPARAM(int low, int high) { return WPARAM(DWORD(WORD(low)) | (DWORD(WORD(high)) << 16)); }
constexpr LONG MAKELONG(int low, int high) { return LONG(DWORD(WORD(low)) | (DWORD(WORD(high)) << 16)); }
// Signed coordinates packed in an LPARAM.
constexpr int GET_X_LPARAM(LPARAM lp) { return int(std::int16_t(LOWORD(std::uintptr_t(lp)))); }
constexpr int GET_Y_LPARAM(LPARAM lp) { return int(std::int16_t(HIWORD(std::uintptr_t(lp)))); }

// Resources are named by integer identifiers packed into a name pointer.
inline LPCSTR MAKEINTRESOURCE(unsigned id) { return reinterpret_cast<LPCSTR>(std::uintptr_t(WORD(id))); }
inline bool IS_INTRESOURCE(LPCSTR name) { return (reinterpret_cast<std::uintptr_t>(name) >> 16) == 0; }
inline unsigned resourceId(LPCSTR name) { return unsigned(reinterpret_cast<std::uintptr_t>(name) & 0xFFFF); }

}  // namespace qm::ui
