#include "platform/ui/framework/dialog.h"

#include "platform/ui/framework/win_app.h"
#include "platform/ui/resource/resource.h"

namespace qm::ui {

IMPLEMENT_DYNAMIC(CDialog, CWnd)

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    if (m_hWnd)
        return FALSE;
    m_nIDTemplate = templateId;
    m_pParentWnd = parent;
    const HINSTANCE instance = m_hResource ? m_hResource : AfxGetResourceHandle();
    auto tmpl = loadDialogTemplate(instance, templateId);
    if (!tmpl)
        return FALSE;
    detail::attachNextCreated(this);
    HWND hwnd = CreateDialogIndirectParam(instance, *tmpl, parent ? parent->m_hWnd : nullptr, nullptr, 0);
    detail::attachNextCreated(nullptr);
    return hwnd != nullptr;
}

LONG_PTR CDialog::DoModal()
{
    if (m_hWnd)
        return -1;
    const HINSTANCE instance = m_hResource ? m_hResource : AfxGetResourceHandle();
    auto tmpl = loadDialogTemplate(instance, m_nIDTemplate);
    if (!tmpl)
        return -1;
    tmpl->style &= ~WS_VISIBLE;
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!owner)
        if (CWnd* main = AfxGetMainWnd(); main && main->m_hWnd && qm::ui::IsWindowVisible(main->m_hWnd))
            owner = main->m_hWnd;
    detail::attachNextCreated(this);
    HWND hwnd = CreateDialogIndirectParam(instance, *tmpl, owner, nullptr, 0);
    detail::attachNextCreated(nullptr);
    if (!hwnd)
        return -1;
    return qm::ui::runModalLoop(hwnd, owner);
}

void CDialog::EndDialog(int result)
{
    if (m_hWnd)
        qm::ui::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnInitDialog() { return TRUE; }
void CDialog::OnOK() { EndDialog(IDOK); }
void CDialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return OnInitDialog();
    return CWnd::WindowProc(message, wParam, lParam);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (CWnd::OnCommand(wParam, lParam))
        return TRUE;
    if (HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK: OnOK(); return TRUE;
    case IDCANCEL: OnCancel(); return TRUE;
    default: return FALSE;
    }
}

}  // namespace qm::ui
