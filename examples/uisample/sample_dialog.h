// The UI sample's dialog: a bitmap background, skinned buttons, text in two
// fonts, a timer-driven bar, a message box and a customised Save As dialog.
#pragma once

#include <string>
#include <vector>

#include "examples/uisample/pulse_bar.h"
#include "platform/ui/framework/afx.h"

namespace uisample {

using namespace qm::ui;

// A skinned button that writes its caption over the bitmap.
class CCaptionButton : public CBitmapButton {
    DECLARE_DYNAMIC(CCaptionButton)
public:
    void DrawItem(DRAWITEMSTRUCT* dis) override;
};

class CSampleDialog : public CDialog {
    DECLARE_DYNAMIC(CSampleDialog)
public:
    CSampleDialog();
    // What the handlers did, one line each (for --report).
    const std::vector<std::string>& events() const { return events_; }
    CPulseBar& pulseBar() { return pulse_; }

protected:
    BOOL OnInitDialog() override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnCancel() override;

private:
    void setStatus(const std::string& status);

    CBitmap background_;
    CCaptionButton messageButton_;
    CCaptionButton saveButton_;
    CCaptionButton quitButton_;
    CPulseBar pulse_;
    CFont titleFont_;
    CFont textFont_;
    std::string status_ = "Ready.";
    std::vector<std::string> events_;
};

}  // namespace uisample
