#include "panel/save/overwrite_dlg.h"

#include "panel/resources/panel_resources.h"
#include "panel/resources/resource.h"

namespace qm::panel {

using ui::CDialog;
IMPLEMENT_DYNAMIC(COverwriteDlg, CDialog)

COverwriteDlg::COverwriteDlg(const std::string& path, ui::CWnd* parent)
    : ui::CDialog(IDD_OVERWRITE, parent), path_(path)
{
    m_hResource = panelInstance();
}

ui::BOOL COverwriteDlg::OnInitDialog()
{
    ui::CDialog::OnInitDialog();
    SetDlgItemText(IDC_OVERWRITE_TEXT, formatPanelString(IDS_OVERWRITE, path_).c_str());
    CenterWindow();
    return ui::TRUE;
}

ui::BOOL COverwriteDlg::OnCommand(ui::WPARAM wParam, ui::LPARAM lParam)
{
    if (ui::HIWORD(wParam) == ui::BN_CLICKED) {
        switch (ui::LOWORD(wParam)) {
        case IDC_OVERWRITE_YES_TO_ALL:
            EndDialog(kYesToAll);
            return ui::TRUE;
        case IDC_OVERWRITE_NO:
            EndDialog(kNo);
            return ui::TRUE;
        default:
            break;
        }
    }
    return ui::CDialog::OnCommand(wParam, lParam);
}

void COverwriteDlg::OnOK() { EndDialog(kYes); }

void COverwriteDlg::OnCancel() { EndDialog(kCancel); }

}  // namespace qm::panel
