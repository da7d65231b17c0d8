// CFileDialog: the Open or Save As dialog as an object. When the dialog runs
// the object is attached to its child dialog (the custom template, or an
// empty one), so OnInitDialog and the control handlers of a derived class
// work on that template, and GetParent() is the common dialog.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/commdlg/commdlg.h"
#include "platform/ui/framework/dialog.h"

namespace qm::ui {

using POSITION = std::uintptr_t;

class CFileDialog : public CDialog {
    DECLARE_DYNAMIC(CFileDialog)
public:
    // `filter` is "description|pattern|...||".
    explicit CFileDialog(BOOL openFileDialog, LPCSTR defaultExtension = nullptr, LPCSTR fileName = nullptr,
                         DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR filter = nullptr,
                         CWnd* parent = nullptr);

    LONG_PTR DoModal() override;

    // While the dialog runs these ask the common dialog; afterwards they
    // read the result.
    std::string GetPathName() const;
    std::string GetFileName() const;
    std::string GetFileExt() const;
    std::string GetFolderPath() const;
    std::string GetFileSpec() const;
    BOOL GetReadOnlyPref() const { return (m_ofn.Flags & OFN_READONLY) != 0; }
    // Every chosen file in turn (multiple selection).
    POSITION GetStartPosition() const;
    std::string GetNextPathName(POSITION& position) const;
    void HideControl(int id);
    void SetControlText(int id, LPCSTR text);

    OPENFILENAME m_ofn;

protected:
    // True refuses the name and keeps the dialog open.
    virtual BOOL OnFileNameOK();
    virtual void OnInitDone();
    virtual void OnFolderChange();
    virtual void OnFileNameChange();
    virtual void OnTypeChange();
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // The template's own OK and Cancel pass on to the common dialog.
    void OnOK() override;
    void OnCancel() override;

    BOOL m_bOpenFileDialog;

private:
    friend UINT_PTR fileDialogHook(HWND, UINT, WPARAM, LPARAM);
    std::string askCommonDialog(UINT message) const;
    std::vector<char> fileBuffer_;
    std::string filter_;
    std::string defaultExtension_;
};

}  // namespace qm::ui
