// The camera status dialog: one line per fact the status-line mask asks
// for (capacity, battery, AC adapter, power-off time, mode, pictures, line
// speed), each "Not Available!" until the camera told it. A click anywhere
// closes it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "panel/dialogs/status_lines.h"
#include "panel/dialogs/strip_dialog.h"

namespace qm::panel {

class CPhotoBrowserDlg;

class CCameraStatusDlg : public CStripDialog {
    DECLARE_DYNAMIC(CCameraStatusDlg)
public:
    static constexpr int kLabelX = 60;
    static constexpr int kValueX = 340;
    static constexpr int kFirstLineY = 35;
    static constexpr int kLineHeight = 25;

    CCameraStatusDlg(std::uint32_t mask, ui::CWnd* parent);

    // The lines drawn, in order: label and value.
    struct Line {
        std::string label;
        std::string value;
    };
    std::vector<Line> lines() const;
    // The value of a mask bit (the firmware included).
    const std::string& value(std::uint32_t bit) const;

protected:
    ui::BOOL OnInitDialog() override;
    ui::BOOL OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) override;
    void OnLButtonDown(ui::UINT flags, ui::CPoint point) override;
    void paintContent(ui::CDC& dc) override;

private:
    void queryCamera();
    std::string& valueOf(std::uint32_t bit);

    std::uint32_t mask_;
    // By position in kStatusOrder; both capacity bits share one text.
    std::array<std::string, kStatusOrder.size()> values_;
};

// The Camera status button.
void showCameraStatus(CPhotoBrowserDlg& browser);

}  // namespace qm::panel
