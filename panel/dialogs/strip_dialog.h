// The skinned dialog the camera status, camera settings and image
// information dialogs are built on: 480 pixels wide, a top strip, one strip
// per line and a bottom strip, each 30 pixels high.
#pragma once

#include "platform/ui/framework/afx.h"

namespace qm::panel {

class CStripDialog : public ui::CDialog {
    DECLARE_DYNAMIC(CStripDialog)
public:
    static constexpr int kWidth = 480;
    static constexpr int kStripHeight = 30;

    CStripDialog(ui::UINT templateId, ui::CWnd* parent, int strips = 0);

    int stripCount() const { return strips_; }
    // The client height for `strips` strips: one per line and two more.
    static int clientHeight(int strips) { return strips * kStripHeight + 2 * kStripHeight; }

protected:
    // Takes effect at initialisation.
    void setStripCount(int strips) { strips_ = strips; }
    // Sizes the window to its strips, keeping its position.
    ui::BOOL OnInitDialog() override;
    ui::BOOL OnEraseBkgnd(ui::CDC* dc) override;
    void OnPaint() override;
    // What a dialog draws over its strips.
    virtual void paintContent(ui::CDC& dc);
    void paintStrips(ui::CDC& dc);

private:
    int strips_;
};

}  // namespace qm::panel
