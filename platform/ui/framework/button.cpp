#include "platform/ui/framework/button.h"

#include "platform/ui/framework/win_app.h"

namespace qm::ui {

IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CBitmapButton, CButton)

BOOL CButton::Create(LPCSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CreateEx(0, "Button", caption, style | WS_CHILD, rect, parent, id);
}

void CButton::DrawItem(DRAWITEMSTRUCT*) {}

BOOL CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message != WM_DRAWITEM)
        return CWnd::OnChildNotify(message, wParam, lParam, result);
    DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    if (result)
        *result = TRUE;
    return TRUE;
}

BOOL CBitmapButton::LoadBitmaps(UINT normal, UINT selected, UINT focus, UINT disabled)
{
    const HINSTANCE instance = m_hResource ? m_hResource : AfxGetResourceHandle();
    CBitmap* targets[] = {&m_bitmap, &m_bitmapSel, &m_bitmapFocus, &m_bitmapDisabled};
    const UINT ids[] = {normal, selected, focus, disabled};
    BOOL ok = TRUE;
    for (int i = 0; i < 4; ++i) {
        targets[i]->DeleteObject();
        if (ids[i] != 0 && !targets[i]->LoadBitmap(instance, ids[i]))
            ok = FALSE;
    }
    return ok && m_bitmap.m_hObject != nullptr;
}

void CBitmapButton::SizeToContent()
{
    BITMAP bm;
    if (!m_bitmap.m_hObject || !m_bitmap.GetBitmap(&bm))
        return;
    SetWindowPos(nullptr, 0, 0, bm.bmWidth, bm.bmHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CBitmapButton::DrawItem(DRAWITEMSTRUCT* dis)
{
    if (!dis)
        return;
    const CBitmap* bitmap = &m_bitmap;
    if ((dis->itemState & ODS_SELECTED) && m_bitmapSel.m_hObject)
        bitmap = &m_bitmapSel;
    else if ((dis->itemState & ODS_FOCUS) && m_bitmapFocus.m_hObject)
        bitmap = &m_bitmapFocus;
    else if ((dis->itemState & ODS_DISABLED) && m_bitmapDisabled.m_hObject)
        bitmap = &m_bitmapDisabled;
    if (!bitmap->m_hObject)
        return;
    HDC memory = CreateCompatibleDC(dis->hDC);
    HGDIOBJ old = qm::ui::SelectObject(memory, bitmap->m_hObject);
    const RECT& r = dis->rcItem;
    qm::ui::BitBlt(dis->hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, memory, 0, 0, SRCCOPY);
    qm::ui::SelectObject(memory, old);
    qm::ui::DeleteDC(memory);
}

}  // namespace qm::ui
