#include "examples/uisample/pulse_bar.h"

#include <string>

namespace uisample {

IMPLEMENT_DYNAMIC(CPulseBar, CWnd)

BOOL CPulseBar::Create(const RECT& rect, CWnd* parent, UINT id)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASS wc;
        wc.lpfnWndProc = qm::ui::DefWindowProc;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = "QmPulseBar";
        registered = RegisterClass(&wc) != 0;
    }
    if (!CreateEx(0, "QmPulseBar", "", WS_CHILD | WS_VISIBLE | WS_BORDER, rect, parent, id))
        return FALSE;
    font_.CreateFont(12, 5, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FF_SWISS, nullptr);
    SetTimer(kTimerId, 100);
    return TRUE;
}

void CPulseBar::OnTimer(UINT_PTR id)
{
    if (id != kTimerId)
        return CWnd::OnTimer(id);
    ++ticks_;
    Invalidate(FALSE);
}

void CPulseBar::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, RGB(24, 28, 40));
    const int span = client.Width() - 60;
    const int x = span > 24 ? (ticks_ * 8) % (span - 24) : 0;
    dc.FillSolidRect(x, 2, 24, client.Height() - 4, RGB(255, 170, 60));
    dc.SelectObject(&font_);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(255, 255, 255));
    const std::string text = std::to_string(ticks_) + " ticks";
    dc.TextOut(client.right - 56, 1, text);
}

void CPulseBar::OnDestroy()
{
    KillTimer(kTimerId);
    CWnd::OnDestroy();
}

}  // namespace uisample
