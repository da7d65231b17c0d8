// Drawing on 24-bit surfaces: device contexts for windows and memory,
// bitmaps, blits, fills, pens and lines, fonts and text.
#pragma once

#include <cstddef>
#include <string>

#include "platform/ui/types.h"

namespace qm::ui {

// Device contexts.
HDC GetDC(HWND hwnd);  // the client area
HDC GetWindowDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);
HDC CreateCompatibleDC(HDC hdc);  // a memory DC with a 1 x 1 bitmap selected
BOOL DeleteDC(HDC hdc);
HWND WindowFromDC(HDC hdc);
int SaveDC(HDC hdc);
BOOL RestoreDC(HDC hdc, int saved);

// Objects.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
inline constexpr int WHITE_BRUSH = 0;
inline constexpr int LTGRAY_BRUSH = 1;
inline constexpr int GRAY_BRUSH = 2;
inline constexpr int BLACK_BRUSH = 4;
inline constexpr int NULL_BRUSH = 5;
inline constexpr int WHITE_PEN = 6;
inline constexpr int BLACK_PEN = 7;
inline constexpr int NULL_PEN = 8;
inline constexpr int ANSI_VAR_FONT = 12;
inline constexpr int SYSTEM_FONT = 13;
inline constexpr int DEFAULT_GUI_FONT = 17;
HGDIOBJ GetStockObject(int which);

HBRUSH CreateSolidBrush(COLORREF colour);
inline constexpr int PS_SOLID = 0;
inline constexpr int PS_NULL = 5;
HPEN CreatePen(int style, int width, COLORREF colour);

struct BITMAP {
    LONG bmType = 0;
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    LONG bmWidthBytes = 0;
    WORD bmPlanes = 1;
    WORD bmBitsPixel = 24;
    void* bmBits = nullptr;
};
int GetObject(HGDIOBJ object, int size, void* out);  // BITMAP or LOGFONT

// Bitmaps: always 24 bits per pixel.
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
// Bitmap resources of a module (see resource/resource.h).
HBITMAP LoadBitmap(HINSTANCE instance, LPCSTR name);

// Packed device-independent bitmaps.
struct BITMAPINFOHEADER {
    DWORD biSize = 40;
    LONG biWidth = 0;
    LONG biHeight = 0;
    WORD biPlanes = 1;
    WORD biBitCount = 24;
    DWORD biCompression = 0;
    DWORD biSizeImage = 0;
    LONG biXPelsPerMeter = 0;
    LONG biYPelsPerMeter = 0;
    DWORD biClrUsed = 0;
    DWORD biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER is the 40-byte on-disk header");
struct RGBQUAD {
    BYTE rgbBlue = 0;
    BYTE rgbGreen = 0;
    BYTE rgbRed = 0;
    BYTE rgbReserved = 0;
};
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
inline constexpr DWORD BI_RGB = 0;
inline constexpr UINT DIB_RGB_COLORS = 0;
// Draws a DIB (bits of `bitsSize` bytes; 1, 4, 8, 24 or 32 bits per pixel,
// uncompressed). Returns the number of scan lines drawn, 0 on a bad header
// or too short a buffer.
int StretchDIBits(HDC hdc, int xDest, int yDest, int wDest, int hDest, int xSrc, int ySrc, int wSrc, int hSrc,
                  const void* bits, std::size_t bitsSize, const BITMAPINFO* info, UINT usage, DWORD rop);
int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, const void* bits,
                      std::size_t bitsSize, const BITMAPINFO* info, UINT usage);
// A packed DIB as one buffer: the header, any colour table, then the rows.
int drawPackedDib(HDC hdc, int x, int y, const void* dib, std::size_t size);

// Raster operations.
inline constexpr DWORD SRCCOPY = 0x00CC0020;
inline constexpr DWORD SRCPAINT = 0x00EE0086;
inline constexpr DWORD SRCAND = 0x008800C6;
inline constexpr DWORD SRCINVERT = 0x00660046;
inline constexpr DWORD PATCOPY = 0x00F00021;
inline constexpr DWORD BLACKNESS = 0x00000042;
inline constexpr DWORD WHITENESS = 0x00FF0062;
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop);
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int wSrc, int hSrc,
                DWORD rop);
BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop);
// Stretch modes; every mode drops or repeats whole pixels (no blending), so
// the result is the same under each; the mode is kept for callers to read.
inline constexpr int BLACKONWHITE = 1;
inline constexpr int WHITEONBLACK = 2;
inline constexpr int COLORONCOLOR = 3;
inline constexpr int HALFTONE = 4;
int SetStretchBltMode(HDC hdc, int mode);
int GetStretchBltMode(HDC hdc);

// Shapes.
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush);
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL MoveToEx(HDC hdc, int x, int y, POINT* previous);
// Draws from the current position up to, not including, the end point.
BOOL LineTo(HDC hdc, int x, int y);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF colour);
COLORREF GetPixel(HDC hdc, int x, int y);
inline constexpr UINT BDR_RAISEDOUTER = 0x0001;
inline constexpr UINT BDR_SUNKENOUTER = 0x0002;
inline constexpr UINT BDR_RAISEDINNER = 0x0004;
inline constexpr UINT BDR_SUNKENINNER = 0x0008;
inline constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
inline constexpr UINT EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
inline constexpr UINT EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
inline constexpr UINT BF_RECT = 0x000F;
BOOL DrawEdge(HDC hdc, RECT* rect, UINT edge, UINT flags);
BOOL DrawFocusRect(HDC hdc, const RECT* rect);

// Colours of the classic desktop scheme.
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_3DFACE = 15;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_GRAYTEXT = 17;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr int COLOR_BTNHIGHLIGHT = 20;
inline constexpr int COLOR_3DDKSHADOW = 21;
inline constexpr int COLOR_3DLIGHT = 22;
inline constexpr int COLOR_INFOBK = 24;
COLORREF GetSysColor(int index);
HBRUSH GetSysColorBrush(int index);

// Fonts.
inline constexpr int LF_FACESIZE = 32;
struct LOGFONT {
    LONG lfHeight = 0;
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = 0;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};
};
inline constexpr int FW_DONTCARE = 0;
inline constexpr int FW_NORMAL = 400;
inline constexpr int FW_BOLD = 700;
inline constexpr BYTE ANSI_CHARSET = 0;
inline constexpr BYTE DEFAULT_CHARSET = 1;
inline constexpr BYTE DEFAULT_PITCH = 0;
inline constexpr BYTE FIXED_PITCH = 1;
inline constexpr BYTE VARIABLE_PITCH = 2;
inline constexpr BYTE FF_DONTCARE = 0x00;
inline constexpr BYTE FF_ROMAN = 0x10;
inline constexpr BYTE FF_SWISS = 0x20;
inline constexpr BYTE FF_MODERN = 0x30;
inline constexpr BYTE OUT_DEFAULT_PRECIS = 0;
inline constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
inline constexpr BYTE DEFAULT_QUALITY = 0;
// A positive height is the character cell, a negative one the em; a width
// of 0 keeps the face's proportions, otherwise it is the average character
// width. Faces map onto DejaVu Sans, Serif and Sans Mono.
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                 DWORD quality, DWORD pitchAndFamily, LPCSTR face);
HFONT CreateFontIndirect(const LOGFONT* font);

struct TEXTMETRIC {
    LONG tmHeight = 0;
    LONG tmAscent = 0;
    LONG tmDescent = 0;
    LONG tmInternalLeading = 0;
    LONG tmExternalLeading = 0;
    LONG tmAveCharWidth = 0;
    LONG tmMaxCharWidth = 0;
    LONG tmWeight = 0;
};
BOOL GetTextMetrics(HDC hdc, TEXTMETRIC* metrics);
BOOL GetTextExtentPoint32(HDC hdc, LPCSTR text, int length, SIZE* size);

inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF colour);
COLORREF GetBkColor(HDC hdc);
COLORREF SetTextColor(HDC hdc, COLORREF colour);
COLORREF GetTextColor(HDC hdc);
inline constexpr UINT TA_LEFT = 0;
inline constexpr UINT TA_TOP = 0;
inline constexpr UINT TA_RIGHT = 2;
inline constexpr UINT TA_CENTER = 6;
inline constexpr UINT TA_BOTTOM = 8;
inline constexpr UINT TA_BASELINE = 24;
UINT SetTextAlign(HDC hdc, UINT align);
BOOL TextOut(HDC hdc, int x, int y, LPCSTR text, int length);

inline constexpr UINT DT_TOP = 0x0000;
inline constexpr UINT DT_LEFT = 0x0000;
inline constexpr UINT DT_CENTER = 0x0001;
inline constexpr UINT DT_RIGHT = 0x0002;
inline constexpr UINT DT_VCENTER = 0x0004;
inline constexpr UINT DT_BOTTOM = 0x0008;
inline constexpr UINT DT_WORDBREAK = 0x0010;
inline constexpr UINT DT_SINGLELINE = 0x0020;
inline constexpr UINT DT_NOCLIP = 0x0100;
inline constexpr UINT DT_CALCRECT = 0x0400;
inline constexpr UINT DT_NOPREFIX = 0x0800;
// Lines break at "\n" (and, with DT_WORDBREAK, between words); "&x" draws x
// underlined unless DT_NOPREFIX. Returns the height of the text.
int DrawText(HDC hdc, LPCSTR text, int length, RECT* rect, UINT format);

}  // namespace qm::ui
