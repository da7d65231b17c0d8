#include "panel/browser/about_dlg.h"

#include "panel/resources/panel_resources.h"
#include "panel/resources/resource.h"

namespace qm::panel {

using ui::CDialog;
IMPLEMENT_DYNAMIC(CAboutDlg, CDialog)

CAboutDlg::CAboutDlg(ui::CWnd* parent) : ui::CDialog(IDD_ABOUT, parent)
{
    m_hResource = panelInstance();
}

ui::BOOL CAboutDlg::OnInitDialog()
{
    ui::CDialog::OnInitDialog();
    SetDlgItemText(IDC_ABOUT_TEXT, panelString(IDS_ABOUT_TEXT).c_str());
    CenterWindow();
    return ui::TRUE;
}

}  // namespace qm::panel
