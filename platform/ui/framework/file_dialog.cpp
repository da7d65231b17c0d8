#include "platform/ui/framework/file_dialog.h"

#include <algorithm>
#include <cstring>

#include "platform/ui/framework/win_app.h"

namespace qm::ui {

IMPLEMENT_DYNAMIC(CFileDialog, CDialog)

namespace {
constexpr std::size_t kPathBufferSize = 260;
}

UINT_PTR fileDialogHook(HWND child, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* ofn = reinterpret_cast<OPENFILENAME*>(lParam);
        auto* self = ofn ? reinterpret_cast<CFileDialog*>(ofn->lCustData) : nullptr;
        if (!self || !self->SubclassWindow(child))
            return TRUE;
        return self->OnInitDialog();
    }
    static const UINT fileOk = RegisterWindowMessage(FILEOKSTRING);
    if (message == fileOk) {
        auto* self = dynamic_cast<CFileDialog*>(CWnd::FromHandlePermanent(child));
        return self ? UINT_PTR(self->OnFileNameOK()) : 0;
    }
    return 0;
}

CFileDialog::CFileDialog(BOOL openFileDialog, LPCSTR defaultExtension, LPCSTR fileName, DWORD flags, LPCSTR filter,
                         CWnd* parent)
    : CDialog(0, parent), m_bOpenFileDialog(openFileDialog), fileBuffer_(kPathBufferSize, '\0')
{
    if (defaultExtension)
        defaultExtension_ = defaultExtension;
    if (fileName)
        std::strncpy(fileBuffer_.data(), fileName, fileBuffer_.size() - 1);
    if (filter) {
        filter_ = filter;
        std::replace(filter_.begin(), filter_.end(), '|', '\0');
        filter_.push_back('\0');
    }
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLEHOOK;
    m_ofn.lpstrFile = fileBuffer_.data();
    m_ofn.nMaxFile = DWORD(fileBuffer_.size());
    m_ofn.lpstrDefExt = defaultExtension_.empty() ? nullptr : defaultExtension_.c_str();
    m_ofn.lpstrFilter = filter_.empty() ? nullptr : filter_.data();
}

LONG_PTR CFileDialog::DoModal()
{
    m_ofn.Flags |= OFN_ENABLEHOOK | OFN_EXPLORER;
    m_ofn.lpfnHook = fileDialogHook;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
    if ((m_ofn.Flags & OFN_ENABLETEMPLATE) && !m_ofn.hInstance)
        m_ofn.hInstance = m_hResource ? m_hResource : AfxGetResourceHandle();
    if (!m_ofn.hwndOwner) {
        if (m_pParentWnd)
            m_ofn.hwndOwner = m_pParentWnd->m_hWnd;
        else if (CWnd* main = AfxGetMainWnd(); main && main->m_hWnd && qm::ui::IsWindowVisible(main->m_hWnd))
            m_ofn.hwndOwner = main->m_hWnd;
    }
    const BOOL ok = m_bOpenFileDialog ? GetOpenFileName(&m_ofn) : GetSaveFileName(&m_ofn);
    return ok ? IDOK : IDCANCEL;
}

std::string CFileDialog::askCommonDialog(UINT message) const
{
    HWND common = m_hWnd ? qm::ui::GetParent(m_hWnd) : nullptr;
    if (!common)
        return {};
    std::vector<char> buffer(kPathBufferSize);
    LRESULT needed = qm::ui::SendMessage(common, message, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    if (needed > LRESULT(buffer.size())) {
        buffer.resize(std::size_t(needed));
        needed = qm::ui::SendMessage(common, message, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    }
    return needed > 0 && needed <= LRESULT(buffer.size()) ? std::string(buffer.data()) : std::string();
}

std::string CFileDialog::GetPathName() const
{
    if (m_hWnd)
        return askCommonDialog(CDM_GETFILEPATH);
    POSITION p = GetStartPosition();
    return p ? GetNextPathName(p) : std::string();
}

std::string CFileDialog::GetFileName() const
{
    const std::string path = GetPathName();
    return path.substr(path.rfind('/') + 1);
}

std::string CFileDialog::GetFileExt() const
{
    const std::string name = GetFileName();
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string CFileDialog::GetFolderPath() const
{
    if (m_hWnd)
        return askCommonDialog(CDM_GETFOLDERPATH);
    const std::string path = GetPathName();
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
}

std::string CFileDialog::GetFileSpec() const { return m_hWnd ? askCommonDialog(CDM_GETSPEC) : GetFileName(); }

POSITION CFileDialog::GetStartPosition() const
{
    return m_ofn.lpstrFile && m_ofn.lpstrFile[0] ? POSITION(1) : POSITION(0);
}

// Positions are offsets into the result plus one; 0 ends the walk.
std::string CFileDialog::GetNextPathName(POSITION& position) const
{
    const char* buffer = m_ofn.lpstrFile;
    const std::size_t size = m_ofn.nMaxFile;
    if (!buffer || position == 0 || position > size) {
        position = 0;
        return {};
    }
    const std::string first(buffer, strnlen(buffer, size));
    const bool several = (m_ofn.Flags & OFN_ALLOWMULTISELECT) && first.size() + 1 < size && buffer[first.size() + 1];
    if (!several) {
        position = 0;
        return first;
    }
    std::size_t offset = position == 1 ? first.size() + 1 : std::size_t(position - 1);
    if (offset >= size) {
        position = 0;
        return {};
    }
    const std::string name(buffer + offset, strnlen(buffer + offset, size - offset));
    const std::size_t next = offset + name.size() + 1;
    position = next < size && buffer[next] ? POSITION(next + 1) : POSITION(0);
    return first + (first.size() > 1 ? "/" : "") + name;
}

void CFileDialog::HideControl(int id)
{
    if (HWND common = m_hWnd ? qm::ui::GetParent(m_hWnd) : nullptr)
        qm::ui::SendMessage(common, CDM_HIDECONTROL, WPARAM(id), 0);
}

void CFileDialog::SetControlText(int id, LPCSTR text)
{
    if (HWND common = m_hWnd ? qm::ui::GetParent(m_hWnd) : nullptr)
        qm::ui::SendMessage(common, CDM_SETCONTROLTEXT, WPARAM(id), reinterpret_cast<LPARAM>(text));
}

BOOL CFileDialog::OnFileNameOK() { return FALSE; }
void CFileDialog::OnInitDone() {}
void CFileDialog::OnFolderChange() {}
void CFileDialog::OnFileNameChange() {}
void CFileDialog::OnTypeChange() {}

BOOL CFileDialog::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header)
        return FALSE;
    switch (header->code) {
    case CDN_INITDONE: OnInitDone(); break;
    case CDN_FOLDERCHANGE: OnFolderChange(); break;
    case CDN_SELCHANGE: OnFileNameChange(); break;
    case CDN_TYPECHANGE: OnTypeChange(); break;
    case CDN_FILEOK: break;  // answered through the registered message
    default: return CDialog::OnNotify(wParam, lParam, result);
    }
    *result = 0;
    SetWindowLongPtr(m_hWnd, DWLP_MSGRESULT, 0);
    return TRUE;
}

void CFileDialog::OnOK()
{
    if (HWND common = qm::ui::GetParent(m_hWnd))
        qm::ui::SendMessage(common, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void CFileDialog::OnCancel()
{
    if (HWND common = qm::ui::GetParent(m_hWnd))
        qm::ui::SendMessage(common, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

}  // namespace qm::ui
