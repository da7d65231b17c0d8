// The Save As dialog in which the user picks the folder for a save: the
// common dialog's folder browser above, and below it (template 107) the
// prefix, the start number and the first and last file name that will be
// written. The common dialog's name and type fields are hidden; a read-only
// field over the name field shows the folder the user is in.
#pragma once

#include <string>

#include "platform/ui/framework/afx.h"

namespace qm::panel {

class CSaveFolderDlg : public ui::CFileDialog {
    DECLARE_DYNAMIC(CSaveFolderDlg)
public:
    // The read-only folder field over the name field; an id the common
    // dialog does not use.
    static constexpr int kFolderFieldId = 1150;

    // `initialName` places the dialog in a folder; `pictureCount` pictures
    // will be saved.
    CSaveFolderDlg(const std::string& initialName, int pictureCount, ui::CWnd* parent);

    // What the user confirmed with the template's OK.
    bool confirmed() const { return confirmed_; }
    const std::string& firstName() const { return firstName_; }
    const std::string& prefix() const { return prefix_; }
    int startNumber() const { return startNumber_; }

    // The names the dialog shows for the folder it is in (empty without one).
    std::string shownFirstName() const;
    std::string shownLastName() const;
    std::string shownFolder() const;

protected:
    ui::BOOL OnInitDialog() override;
    void OnFolderChange() override;
    ui::BOOL OnFileNameOK() override;
    ui::BOOL OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) override;
    ui::BOOL PreTranslateMessage(ui::MSG* msg) override;
    void OnOK() override;

private:
    void createFolderField();
    void updateNames();
    std::string currentPrefix() const;
    int currentStart() const;

    int pictureCount_;
    std::string title_;
    std::string filter_;
    // The common dialog's messages to its hook, registered as it expects.
    ui::UINT fileNameOkMessage_ = 0;
    ui::UINT selectionChangedMessage_ = 0;
    ui::CWnd folderField_;
    bool confirmed_ = false;
    std::string firstName_;
    std::string prefix_;
    int startNumber_ = 0;
};

}  // namespace qm::panel
