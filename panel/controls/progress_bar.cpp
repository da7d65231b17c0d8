#include "panel/controls/progress_bar.h"

#include <algorithm>

#include "panel/controls/control_class.h"
#include "panel/controls/panel_bitmaps.h"
#include "panel/controls/small_font.h"
#include "panel/resources/resource.h"

namespace qm::panel {

using ui::CWnd;
IMPLEMENT_DYNAMIC(CProgressBar, CWnd)

namespace {

constexpr const char* kClassName = "VantrelProgressBar";

// The bar's rows from top to bottom: a dark edge, then lighter towards the middle.
constexpr ui::COLORREF kEdge = ui::RGB(0xF4, 0x82, 0x3F);
constexpr ui::COLORREF kMiddle = ui::RGB(0xFF, 0xA1, 0x67);
constexpr ui::COLORREF kCentre = ui::RGB(0xFF, 0xCF, 0xAA);
constexpr ui::COLORREF kRowColours[6] = {kEdge, kMiddle, kCentre, kCentre, kMiddle, kEdge};

// The bar with its end lines, redrawn on every step.
const ui::CRect kBarArea(11, 17, 84, 23);
const ui::CRect kTextArea(2, 26, 98, 38);

void drawLine(ui::CDC& dc, ui::COLORREF colour, int x0, int y0, int x1, int y1)
{
    ui::CPen pen(ui::PS_SOLID, 1, colour);
    ui::HGDIOBJ old = dc.SelectObject(&pen);
    dc.MoveTo(x0, y0);
    dc.LineTo(x1, y1);
    dc.SelectObject(old);
}

}  // namespace

CProgressBar::~CProgressBar()
{
    DestroyWindow();
    // The class and its brush go with the last bar.
    unregisterControlClass(kClassName);
}

ui::BOOL CProgressBar::Create(ui::CWnd* parent, const ui::CRect& place, ui::UINT id)
{
    if (m_hWnd || !parent || !registerControlClass(kClassName, ui::CreateSolidBrush(kBackground)))
        return ui::FALSE;
    return CreateEx(0, kClassName, "", ui::WS_CHILD | ui::WS_VISIBLE, place, parent, id);
}

int CProgressBar::segmentsFor(int percent)
{
    if (percent <= 0)
        return 0;
    return std::min(percent, 100) * kSegments / 100;
}

void CProgressBar::SetPos(int percent)
{
    if (!m_hWnd)
        return;
    SetFocus();
    const bool wasVisible = visible_;
    if (percent < kHidePercent) {
        visible_ = true;
        const int next = segmentsFor(percent);
        if (next == segments_ && percent != 0 && percent != 1 && wasVisible)
            return;
        previousSegments_ = segments_;
        segments_ = next;
    } else {
        visible_ = false;
        segments_ = 0;
        previousSegments_ = 0;
    }
    // Showing or hiding changes the whole face, not just the bar.
    redrawNow(visible_ == wasVisible ? &kBarArea : nullptr);
}

void CProgressBar::SetText(const char* text)
{
    if (text)
        text_ = text;
    else
        text_.reset();
    visible_ = true;
    redrawNow(nullptr);
}

void CProgressBar::SetVisible(bool visible)
{
    visible_ = visible;
    redrawNow(nullptr);
}

void CProgressBar::redrawNow(const ui::RECT* area)
{
    if (m_hWnd)
        RedrawWindow(area, nullptr, ui::RDW_INVALIDATE | ui::RDW_UPDATENOW);
}

ui::BOOL CProgressBar::OnEraseBkgnd(ui::CDC*) { return ui::TRUE; }

void CProgressBar::OnPaint()
{
    ui::CPaintDC dc(this);
    if (visible_)
        paintFace(dc);
    else
        paintBackground(dc);
}

void CProgressBar::paintFace(ui::CDC& dc)
{
    drawPanelBitmap(dc, IDB_PROGRESS, 0, 0);
    for (int row = 0; row < 6; ++row)
        if (segments_ > 0)
            drawLine(dc, kRowColours[row], kBarLeft, kBarTop + row, kBarLeft + segments_, kBarTop + row);
    // The two ends of the bar, rows 17 to 22 inclusive.
    drawLine(dc, kEdge, kBarLeft - 1, kBarTop, kBarLeft - 1, kBarTop + 6);
    drawLine(dc, kEdge, kBarLeft + kSegments, kBarTop, kBarLeft + kSegments, kBarTop + 6);
    if (text_ && !text_->empty()) {
        dc.SelectObject(&smallFont());
        dc.SetBkMode(ui::TRANSPARENT);
        dc.SetTextColor(ui::RGB(0, 0, 0));
        ui::CRect area = kTextArea;
        dc.DrawText(*text_, &area, ui::DT_LEFT | ui::DT_NOPREFIX);
    }
}

void CProgressBar::paintBackground(ui::CDC& dc)
{
    // The browser paints its background bitmap 1:1 from its client origin,
    // so the part under the bar starts where the bar's client area lies in
    // the browser.
    ui::POINT origin{0, 0};
    ui::HWND parent = ui::GetParent(m_hWnd);
    ui::MapWindowPoints(m_hWnd, parent, &origin, 1);
    ui::CRect client;
    GetClientRect(&client);
    drawPanelBitmapPart(dc, IDB_BACKGROUND, 0, 0, client.Width(), client.Height(), origin.x, origin.y);
}

}  // namespace qm::panel
