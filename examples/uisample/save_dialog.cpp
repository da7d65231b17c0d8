#include "examples/uisample/save_dialog.h"

#include "examples/uisample/resource.h"

namespace uisample {

IMPLEMENT_DYNAMIC(CSampleSaveDialog, CFileDialog)

CSampleSaveDialog::CSampleSaveDialog(CWnd* parent)
    : CFileDialog(FALSE, "txt", "sample.txt", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_ENABLETEMPLATE,
                  "Text files (*.txt)|*.txt|All files (*.*)|*.*||", parent)
{
    m_ofn.lpTemplateName = MAKEINTRESOURCE(IDD_SAVE_CHILD);
}

BOOL CSampleSaveDialog::OnInitDialog()
{
    CFileDialog::OnInitDialog();
    HideControl(stc2);
    HideControl(cmb1);
    HideControl(IDOK);
    HideControl(IDCANCEL);
    SetDlgItemText(IDC_PREFIX, "IMG");
    SetDlgItemText(IDC_GROUP, loadString(AfxGetResourceHandle(), IDS_SAVE_GROUP).c_str());
    return TRUE;
}

void CSampleSaveDialog::OnFolderChange() { folder_ = GetFolderPath(); }

BOOL CSampleSaveDialog::OnFileNameOK() { return confirmed_ ? FALSE : TRUE; }

void CSampleSaveDialog::OnOK()
{
    confirmed_ = true;
    prefix_ = GetDlgItemText(IDC_PREFIX);
    CFileDialog::OnOK();
}

}  // namespace uisample
