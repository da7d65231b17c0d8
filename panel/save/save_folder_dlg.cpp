#include "panel/save/save_folder_dlg.h"

#include "panel/resources/panel_resources.h"
#include "panel/resources/resource.h"
#include "panel/save/file_names.h"
#include "panel/save/save_settings.h"
#include "platform/ui/input/keys.h"

namespace qm::panel {

using ui::CFileDialog;
IMPLEMENT_DYNAMIC(CSaveFolderDlg, CFileDialog)

namespace {

constexpr int kFolderFieldMargin = 2;
constexpr int kPrefixLength = 3;
constexpr int kStartNumberLength = 5;
// The common dialog opens with this name in the remembered folder; its
// default extension keeps anything else from being appended.
constexpr const char* kDefaultExtension = "119";

}  // namespace

CSaveFolderDlg::CSaveFolderDlg(const std::string& initialName, int pictureCount, ui::CWnd* parent)
    : CFileDialog(ui::FALSE, kDefaultExtension, initialName.c_str(), ui::OFN_HIDEREADONLY | ui::OFN_ENABLETEMPLATE,
                  panelString(IDS_SAVE_FOLDER_FILTER).c_str(), parent),
      pictureCount_(pictureCount),
      title_(panelString(IDS_SAVE_DIALOG_TITLE))
{
    m_hResource = panelInstance();
    m_ofn.hInstance = panelInstance();
    m_ofn.lpTemplateName = ui::MAKEINTRESOURCE(IDD_SAVE_FOLDER);
    m_ofn.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
    fileNameOkMessage_ = ui::RegisterWindowMessage(ui::FILEOKSTRING);
    selectionChangedMessage_ = ui::RegisterWindowMessage(ui::LBSELCHSTRING);
}

ui::BOOL CSaveFolderDlg::OnInitDialog()
{
    CFileDialog::OnInitDialog();
    ui::CWnd* common = GetParent();
    if (common != nullptr)
        common->CenterWindow();
    SetControlText(ui::stc3, panelString(IDS_SAVE_DIALOG_LABEL).c_str());
    for (int id : {ui::stc2, ui::cmb1, ui::chx1, ui::edt1, int(ui::IDOK), int(ui::IDCANCEL)})
        HideControl(id);
    createFolderField();

    const SaveSettings settings = readSaveSettings();
    ui::SendDlgItemMessage(m_hWnd, IDC_SAVE_PREFIX, ui::EM_LIMITTEXT, kPrefixLength, 0);
    ui::SendDlgItemMessage(m_hWnd, IDC_SAVE_START, ui::EM_LIMITTEXT, kStartNumberLength, 0);
    SetDlgItemText(IDC_SAVE_PREFIX, settings.prefix.c_str());
    SetDlgItemText(IDC_SAVE_START, std::to_string(settings.fileNumber).c_str());
    SetDlgItemText(IDC_SAVE_GROUP, panelString(IDS_SAVE_GROUP).c_str());
    updateNames();
    return ui::TRUE;
}

void CSaveFolderDlg::createFolderField()
{
    ui::CWnd* common = GetParent();
    ui::CWnd* nameField = common != nullptr ? common->GetDlgItem(ui::edt1) : nullptr;
    if (nameField == nullptr)
        return;
    ui::CRect place;
    nameField->GetWindowRect(&place);
    common->ScreenToClient(&place);
    place.InflateRect(kFolderFieldMargin, kFolderFieldMargin);
    const ui::DWORD style =
        ui::WS_CHILD | ui::WS_VISIBLE | ui::WS_BORDER | ui::WS_TABSTOP | ui::ES_AUTOHSCROLL | ui::ES_READONLY;
    if (!folderField_.CreateEx(ui::WS_EX_CLIENTEDGE, "Edit", "", style, place, common, kFolderFieldId))
        return;
    folderField_.SendMessage(ui::WM_SETFONT, ui::WPARAM(common->GetFont()), ui::FALSE);
    // In the name field's place in the Tab order too.
    ui::SetWindowPos(folderField_.m_hWnd, nameField->m_hWnd, 0, 0, 0, 0,
                     ui::SWP_NOMOVE | ui::SWP_NOSIZE | ui::SWP_NOACTIVATE);
}

void CSaveFolderDlg::OnFolderChange()
{
    if (folderField_.m_hWnd != nullptr)
        folderField_.SetWindowText(GetFolderPath());
    // Asked as the common dialog expects its hook to; the names come from
    // the folder alone.
    GetPathName();
    GetFileSpec();
    updateNames();
}

std::string CSaveFolderDlg::currentPrefix() const { return sanitisedPrefix(GetDlgItemText(IDC_SAVE_PREFIX)); }

int CSaveFolderDlg::currentStart() const { return int(GetDlgItemInt(IDC_SAVE_START, nullptr, ui::TRUE)); }

std::string CSaveFolderDlg::shownFolder() const
{
    return folderField_.m_hWnd != nullptr ? folderField_.GetWindowText() : std::string();
}

std::string CSaveFolderDlg::shownFirstName() const { return GetDlgItemText(IDC_SAVE_FIRST_NAME); }

std::string CSaveFolderDlg::shownLastName() const { return GetDlgItemText(IDC_SAVE_LAST_NAME); }

void CSaveFolderDlg::updateNames()
{
    const std::string folder = shownFolder();
    if (folder.empty())
        return;
    const std::string base = withoutTrailingSlash(folder);
    const std::string prefix = currentPrefix();
    const long long start = currentStart();
    SetDlgItemText(IDC_SAVE_FIRST_NAME, pictureFilePath(base, prefix, start).c_str());
    SetDlgItemText(IDC_SAVE_LAST_NAME, pictureFilePath(base, prefix, start + pictureCount_ - 1).c_str());
}

ui::BOOL CSaveFolderDlg::OnFileNameOK()
{
    // Only the template's own OK confirms; the common dialog's name field
    // (hidden) never does.
    return confirmed_ ? ui::FALSE : ui::TRUE;
}

ui::BOOL CSaveFolderDlg::OnCommand(ui::WPARAM wParam, ui::LPARAM lParam)
{
    const int id = ui::LOWORD(wParam);
    if (ui::HIWORD(wParam) == ui::EN_CHANGE && (id == IDC_SAVE_PREFIX || id == IDC_SAVE_START)) {
        updateNames();
        return ui::TRUE;
    }
    return CFileDialog::OnCommand(wParam, lParam);
}

ui::BOOL CSaveFolderDlg::PreTranslateMessage(ui::MSG* msg)
{
    // Enter in the template's fields confirms, as its default button says;
    // on its Cancel button it cancels.
    if (msg->message == ui::WM_KEYDOWN && msg->wParam == ui::VK_RETURN && ui::GetDlgCtrlID(msg->hwnd) != ui::IDCANCEL) {
        OnOK();
        return ui::TRUE;
    }
    return CFileDialog::PreTranslateMessage(msg);
}

void CSaveFolderDlg::OnOK()
{
    confirmed_ = true;
    firstName_ = shownFirstName();
    prefix_ = currentPrefix();
    startNumber_ = currentStart();
    CFileDialog::OnOK();
}

}  // namespace qm::panel
