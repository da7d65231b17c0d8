#include "panel/dialogs/strip_dialog.h"

#include "panel/controls/panel_bitmaps.h"
#include "panel/resources/panel_resources.h"
#include "panel/resources/resource.h"

namespace qm::panel {

using ui::CDialog;
IMPLEMENT_DYNAMIC(CStripDialog, CDialog)

CStripDialog::CStripDialog(ui::UINT templateId, ui::CWnd* parent, int strips)
    : ui::CDialog(templateId, parent), strips_(strips)
{
    m_hResource = panelInstance();
}

ui::BOOL CStripDialog::OnInitDialog()
{
    ui::CDialog::OnInitDialog();
    ui::CRect window;
    ui::CRect client;
    GetWindowRect(&window);
    GetClientRect(&client);
    SetWindowPos(nullptr, 0, 0, kWidth + window.Width() - client.Width(),
                 clientHeight(strips_) + window.Height() - client.Height(),
                 ui::SWP_NOMOVE | ui::SWP_NOZORDER | ui::SWP_NOACTIVATE);
    return ui::TRUE;
}

ui::BOOL CStripDialog::OnEraseBkgnd(ui::CDC*)
{
    return ui::TRUE;  // the strips cover the whole client area
}

void CStripDialog::paintStrips(ui::CDC& dc)
{
    drawPanelBitmap(dc, IDB_STRIP_TOP, 0, 0);
    for (int strip = 1; strip <= strips_; ++strip)
        drawPanelBitmap(dc, IDB_STRIP, 0, strip * kStripHeight);
    drawPanelBitmap(dc, IDB_STRIP_BOTTOM, 0, (strips_ + 1) * kStripHeight);
}

void CStripDialog::OnPaint()
{
    ui::CPaintDC dc(this);
    paintStrips(dc);
    paintContent(dc);
}

void CStripDialog::paintContent(ui::CDC&) {}

}  // namespace qm::panel
