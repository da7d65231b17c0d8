// The image information dialog of one picture: file number, file name,
// camera mode, date, resolution, file format and flash, over six strips. A
// click anywhere closes it.
#pragma once

#include "panel/dialogs/image_info.h"
#include "panel/dialogs/strip_dialog.h"

namespace qm::panel {

class CImageInfoDlg : public CStripDialog {
    DECLARE_DYNAMIC(CImageInfoDlg)
public:
    static constexpr int kStrips = 6;
    static constexpr int kLabelX = 50;
    static constexpr int kValueX = 220;
    static constexpr int kFirstLineY = 35;
    static constexpr int kLineHeight = 25;

    CImageInfoDlg(int picture, ui::CWnd* parent);

    const ImageFacts& facts() const { return facts_; }

protected:
    ui::BOOL OnInitDialog() override;
    void OnLButtonDown(ui::UINT flags, ui::CPoint point) override;
    void paintContent(ui::CDC& dc) override;

private:
    int picture_;
    ImageFacts facts_;
};

}  // namespace qm::panel
