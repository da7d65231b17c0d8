// A customised Save As dialog: a child template below the common dialog's
// own controls, the file-type controls and the common OK and Cancel hidden,
// and the common dialog's own confirmation refused until the template's OK.
#pragma once

#include <string>

#include "platform/ui/framework/afx.h"

namespace uisample {

using namespace qm::ui;

class CSampleSaveDialog : public CFileDialog {
    DECLARE_DYNAMIC(CSampleSaveDialog)
public:
    explicit CSampleSaveDialog(CWnd* parent);
    const std::string& prefix() const { return prefix_; }
    const std::string& folder() const { return folder_; }

protected:
    BOOL OnInitDialog() override;
    void OnFolderChange() override;
    BOOL OnFileNameOK() override;
    void OnOK() override;

private:
    bool confirmed_ = false;
    std::string prefix_;
    std::string folder_;
};

}  // namespace uisample
