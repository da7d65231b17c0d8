// Graphic objects and device contexts as framework classes.
#pragma once

#include <string>

#include "platform/ui/framework/geometry.h"
#include "platform/ui/framework/object.h"
#include "platform/ui/gdi/gdi.h"
#include "platform/ui/message/message.h"

namespace qm::ui {

class CDC;

// Owns its handle: the object is deleted with the class instance.
class CGdiObject : public CObject {
    DECLARE_DYNAMIC(CGdiObject)
public:
    CGdiObject() = default;
    ~CGdiObject() override { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    BOOL DeleteObject();
    BOOL Attach(HGDIOBJ handle);
    HGDIOBJ Detach();
    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    operator HGDIOBJ() const { return m_hObject; }
    int GetObject(int size, void* out) const { return qm::ui::GetObject(m_hObject, size, out); }

    HGDIOBJ m_hObject = nullptr;
};

class CBitmap : public CGdiObject {
    DECLARE_DYNAMIC(CBitmap)
public:
    // From the framework's resource module (AfxGetResourceHandle).
    BOOL LoadBitmap(UINT id);
    BOOL LoadBitmap(HINSTANCE instance, UINT id);
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    int GetBitmap(BITMAP* out) const { return GetObject(int(sizeof(BITMAP)), out); }
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};

class CFont : public CGdiObject {
    DECLARE_DYNAMIC(CFont)
public:
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                    BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                    BYTE pitchAndFamily, LPCSTR face);
    BOOL CreateFontIndirect(const LOGFONT* font);
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

class CPen : public CGdiObject {
    DECLARE_DYNAMIC(CPen)
public:
    CPen() = default;
    CPen(int style, int width, COLORREF colour) { CreatePen(style, width, colour); }
    BOOL CreatePen(int style, int width, COLORREF colour);
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
};

class CBrush : public CGdiObject {
    DECLARE_DYNAMIC(CBrush)
public:
    CBrush() = default;
    explicit CBrush(COLORREF colour) { CreateSolidBrush(colour); }
    BOOL CreateSolidBrush(COLORREF colour);
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

class CWnd;

class CDC : public CObject {
    DECLARE_DYNAMIC(CDC)
public:
    CDC() = default;
    ~CDC() override;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    BOOL Attach(HDC hdc);
    HDC Detach();
    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();

    HGDIOBJ SelectObject(HGDIOBJ object) { return qm::ui::SelectObject(m_hDC, object); }
    HGDIOBJ SelectObject(CGdiObject* object) { return qm::ui::SelectObject(m_hDC, object ? object->m_hObject : nullptr); }
    HGDIOBJ SelectStockObject(int which) { return SelectObject(GetStockObject(which)); }
    int SaveDC() { return qm::ui::SaveDC(m_hDC); }
    BOOL RestoreDC(int saved) { return qm::ui::RestoreDC(m_hDC, saved); }

    BOOL BitBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, DWORD rop);
    BOOL StretchBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, int ws, int hs, DWORD rop);
    BOOL PatBlt(int x, int y, int w, int h, DWORD rop) { return qm::ui::PatBlt(m_hDC, x, y, w, h, rop); }
    int SetStretchBltMode(int mode) { return qm::ui::SetStretchBltMode(m_hDC, mode); }
    void FillRect(const RECT* rect, CBrush* brush) { qm::ui::FillRect(m_hDC, rect, brush ? HBRUSH(*brush) : nullptr); }
    void FillSolidRect(const RECT* rect, COLORREF colour);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF colour);
    void FrameRect(const RECT* rect, CBrush* brush) { qm::ui::FrameRect(m_hDC, rect, brush ? HBRUSH(*brush) : nullptr); }
    BOOL Rectangle(int l, int t, int r, int b) { return qm::ui::Rectangle(m_hDC, l, t, r, b); }
    BOOL Rectangle(const RECT* r) { return Rectangle(r->left, r->top, r->right, r->bottom); }
    CPoint MoveTo(int x, int y);
    BOOL LineTo(int x, int y) { return qm::ui::LineTo(m_hDC, x, y); }
    COLORREF SetPixel(int x, int y, COLORREF c) { return qm::ui::SetPixel(m_hDC, x, y, c); }
    COLORREF GetPixel(int x, int y) const { return qm::ui::GetPixel(m_hDC, x, y); }
    BOOL DrawEdge(RECT* rect, UINT edge, UINT flags) { return qm::ui::DrawEdge(m_hDC, rect, edge, flags); }
    void DrawFocusRect(const RECT* rect) { qm::ui::DrawFocusRect(m_hDC, rect); }

    int SetBkMode(int mode) { return qm::ui::SetBkMode(m_hDC, mode); }
    COLORREF SetBkColor(COLORREF c) { return qm::ui::SetBkColor(m_hDC, c); }
    COLORREF SetTextColor(COLORREF c) { return qm::ui::SetTextColor(m_hDC, c); }
    UINT SetTextAlign(UINT align) { return qm::ui::SetTextAlign(m_hDC, align); }
    BOOL TextOut(int x, int y, LPCSTR text, int length) { return qm::ui::TextOut(m_hDC, x, y, text, length); }
    BOOL TextOut(int x, int y, const std::string& text) { return TextOut(x, y, text.c_str(), int(text.size())); }
    int DrawText(LPCSTR text, int length, RECT* rect, UINT format) { return qm::ui::DrawText(m_hDC, text, length, rect, format); }
    int DrawText(const std::string& text, RECT* rect, UINT format) { return DrawText(text.c_str(), int(text.size()), rect, format); }
    CSize GetTextExtent(LPCSTR text, int length) const;
    CSize GetTextExtent(const std::string& text) const { return GetTextExtent(text.c_str(), int(text.size())); }
    BOOL GetTextMetrics(TEXTMETRIC* tm) const { return qm::ui::GetTextMetrics(m_hDC, tm); }

private:
    enum class Kind { None, Memory } kind_ = Kind::None;
};

// The DC of a WM_PAINT, begun and ended with the object.
class CPaintDC : public CDC {
    DECLARE_DYNAMIC(CPaintDC)
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps;

private:
    HWND hwnd_;
};

// The client-area DC of a window, released with the object.
class CClientDC : public CDC {
    DECLARE_DYNAMIC(CClientDC)
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

private:
    HWND hwnd_;
};

}  // namespace qm::ui
