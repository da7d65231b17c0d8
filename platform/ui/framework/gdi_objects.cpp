#include "platform/ui/framework/gdi_objects.h"

#include <utility>

#include "platform/ui/framework/win_app.h"
#include "platform/ui/framework/wnd.h"

namespace qm::ui {

IMPLEMENT_DYNAMIC(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CDC, CObject)
IMPLEMENT_DYNAMIC(CPaintDC, CDC)
IMPLEMENT_DYNAMIC(CClientDC, CDC)

BOOL CGdiObject::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    const BOOL ok = qm::ui::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return ok;
}

BOOL CGdiObject::Attach(HGDIOBJ handle)
{
    if (m_hObject || !handle)
        return FALSE;
    m_hObject = handle;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() { return std::exchange(m_hObject, nullptr); }

BOOL CBitmap::LoadBitmap(UINT id) { return LoadBitmap(AfxGetResourceHandle(), id); }

BOOL CBitmap::LoadBitmap(HINSTANCE instance, UINT id)
{
    return Attach(qm::ui::LoadBitmap(instance, MAKEINTRESOURCE(id)));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height)
{
    return Attach(qm::ui::CreateCompatibleBitmap(dc ? dc->m_hDC : nullptr, width, height));
}

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                       BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                       BYTE quality, BYTE pitchAndFamily, LPCSTR face)
{
    return Attach(qm::ui::CreateFont(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                                     charSet, outPrecision, clipPrecision, quality, pitchAndFamily, face));
}

BOOL CFont::CreateFontIndirect(const LOGFONT* font) { return Attach(qm::ui::CreateFontIndirect(font)); }

BOOL CPen::CreatePen(int style, int width, COLORREF colour)
{
    return Attach(qm::ui::CreatePen(style, width, colour));
}

BOOL CBrush::CreateSolidBrush(COLORREF colour) { return Attach(qm::ui::CreateSolidBrush(colour)); }

CDC::~CDC()
{
    if (kind_ == Kind::Memory)
        DeleteDC();
}

BOOL CDC::Attach(HDC hdc)
{
    if (m_hDC || !hdc)
        return FALSE;
    m_hDC = hdc;
    return TRUE;
}

HDC CDC::Detach()
{
    kind_ = Kind::None;
    return std::exchange(m_hDC, nullptr);
}

BOOL CDC::CreateCompatibleDC(CDC* dc)
{
    if (m_hDC)
        return FALSE;
    m_hDC = qm::ui::CreateCompatibleDC(dc ? dc->m_hDC : nullptr);
    kind_ = Kind::Memory;
    return m_hDC != nullptr;
}

BOOL CDC::DeleteDC()
{
    if (!m_hDC)
        return FALSE;
    const BOOL ok = qm::ui::DeleteDC(m_hDC);
    m_hDC = nullptr;
    kind_ = Kind::None;
    return ok;
}

BOOL CDC::BitBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, DWORD rop)
{
    return qm::ui::BitBlt(m_hDC, x, y, w, h, src ? src->m_hDC : nullptr, xs, ys, rop);
}

BOOL CDC::StretchBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, int ws, int hs, DWORD rop)
{
    return qm::ui::StretchBlt(m_hDC, x, y, w, h, src ? src->m_hDC : nullptr, xs, ys, ws, hs, rop);
}

void CDC::FillSolidRect(const RECT* rect, COLORREF colour)
{
    HBRUSH brush = qm::ui::CreateSolidBrush(colour);
    qm::ui::FillRect(m_hDC, rect, brush);
    qm::ui::DeleteObject(brush);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF colour)
{
    const RECT r{x, y, x + cx, y + cy};
    FillSolidRect(&r, colour);
}

CPoint CDC::MoveTo(int x, int y)
{
    POINT previous{};
    qm::ui::MoveToEx(m_hDC, x, y, &previous);
    return previous;
}

CSize CDC::GetTextExtent(LPCSTR text, int length) const
{
    SIZE size{};
    GetTextExtentPoint32(m_hDC, text, length, &size);
    return size;
}

CPaintDC::CPaintDC(CWnd* wnd) : hwnd_(wnd ? wnd->m_hWnd : nullptr)
{
    Attach(BeginPaint(hwnd_, &m_ps));
}

CPaintDC::~CPaintDC()
{
    EndPaint(hwnd_, &m_ps);
    Detach();
}

CClientDC::CClientDC(CWnd* wnd) : hwnd_(wnd ? wnd->m_hWnd : nullptr) { Attach(GetDC(hwnd_)); }

CClientDC::~CClientDC()
{
    ReleaseDC(hwnd_, m_hDC);
    Detach();
}

}  // namespace qm::ui
