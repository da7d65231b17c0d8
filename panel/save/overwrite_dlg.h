// The question a save asks before it writes over an existing file: Yes, Yes
// to All, No (and choose another name) or Cancel (stop saving).
#pragma once

#include <string>

#include "platform/ui/framework/afx.h"

namespace qm::panel {

class COverwriteDlg : public ui::CDialog {
    DECLARE_DYNAMIC(COverwriteDlg)
public:
    // DoModal's results.
    enum Answer : int { kCancel = 0, kYes = 1, kYesToAll = 2, kNo = 3 };

    COverwriteDlg(const std::string& path, ui::CWnd* parent);

protected:
    ui::BOOL OnInitDialog() override;
    ui::BOOL OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) override;
    void OnOK() override;
    void OnCancel() override;

private:
    std::string path_;
};

}  // namespace qm::panel
