#include "panel/dialogs/image_info_dlg.h"

#include "panel/dialogs/dialog_font.h"
#include "panel/entry/panel_globals.h"
#include "panel/resources/panel_resources.h"
#include "panel/resources/resource.h"

namespace qm::panel {

IMPLEMENT_DYNAMIC(CImageInfoDlg, CStripDialog)

namespace {

constexpr ui::UINT kLabels[] = {IDS_INFO_FILE_NUMBER, IDS_INFO_FILE_NAME, IDS_INFO_MODE_NAME, IDS_INFO_DATE,
                                IDS_INFO_RESOLUTION,  IDS_INFO_FORMAT,    IDS_INFO_FLASH};

}  // namespace

CImageInfoDlg::CImageInfoDlg(int picture, ui::CWnd* parent)
    : CStripDialog(IDD_IMAGE_INFO, parent, kStrips), picture_(picture)
{
}

ui::BOOL CImageInfoDlg::OnInitDialog()
{
    CStripDialog::OnInitDialog();
    // Without the camera, or when it cannot tell, the labels stand alone.
    if (panelState().camera.connected == 1 && picture_ != 0) {
        if (const std::optional<ImageFacts> facts = readImageFacts(picture_))
            facts_ = *facts;
    }
    return ui::TRUE;
}

void CImageInfoDlg::paintContent(ui::CDC& dc)
{
    ui::HGDIOBJ oldFont = dc.SelectObject(&dialogFont());
    dc.SetBkMode(ui::TRANSPARENT);
    dc.SetTextColor(ui::RGB(0, 0, 0));
    const auto values = facts_.inOrder();
    for (std::size_t line = 0; line < values.size(); ++line) {
        const int y = kFirstLineY + int(line) * kLineHeight;
        dc.TextOut(kLabelX, y, panelString(kLabels[line]));
        dc.TextOut(kValueX, y, *values[line]);
    }
    dc.SelectObject(oldFont);
}

void CImageInfoDlg::OnLButtonDown(ui::UINT, ui::CPoint) { EndDialog(ui::IDOK); }

}  // namespace qm::panel
