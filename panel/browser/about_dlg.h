// The About box (template 100).
#pragma once

#include "platform/ui/framework/afx.h"

namespace qm::panel {

class CAboutDlg : public ui::CDialog {
    DECLARE_DYNAMIC(CAboutDlg)
public:
    explicit CAboutDlg(ui::CWnd* parent);

protected:
    ui::BOOL OnInitDialog() override;
};

}  // namespace qm::panel
