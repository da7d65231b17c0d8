// CDialog: modal and modeless dialogs from a template id.
#pragma once

#include "platform/ui/framework/wnd.h"

namespace qm::ui {

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    explicit CDialog(UINT templateId = 0, CWnd* parent = nullptr);

    // A modeless dialog; it stays until destroyed.
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    // Runs the dialog modally; returns the code given to EndDialog, or -1
    // when the dialog cannot be made.
    virtual LONG_PTR DoModal();
    void EndDialog(int result);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    // Where the template comes from (default: AfxGetResourceHandle()).
    HINSTANCE m_hResource = nullptr;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;
};

}  // namespace qm::ui
