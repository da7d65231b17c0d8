#include "panel/controls/digit_button.h"

#include <algorithm>

#include "panel/resources/resource.h"
#include "platform/system/timing.h"

namespace qm::panel {

IMPLEMENT_DYNAMIC(CDigitButton, CBaseButton)

namespace {

constexpr ui::UINT kDigitBitmaps[10] = {IDB_DIGIT_0, IDB_DIGIT_1, IDB_DIGIT_2, IDB_DIGIT_3, IDB_DIGIT_4,
                                        IDB_DIGIT_5, IDB_DIGIT_6, IDB_DIGIT_7, IDB_DIGIT_8, IDB_DIGIT_9};

// How long the hold loop sleeps between looks at the queue.
constexpr std::uint32_t kPollMs = 10;

}  // namespace

ui::UINT CDigitButton::bitmapFor(int digit) { return digit >= 0 && digit <= 9 ? kDigitBitmaps[digit] : 0; }

CDigitButton::CDigitButton() { setBitmap(bitmapFor(0)); }

void CDigitButton::setDigit(int digit)
{
    digit_ = std::clamp(digit, 0, 9);
    setBitmap(bitmapFor(digit_));
}

void CDigitButton::setRange(int lowest, int highest)
{
    lowest_ = std::clamp(lowest, 0, 9);
    highest_ = std::clamp(highest, lowest_, 9);
}

int CDigitButton::nextDigit() const { return digit_ < highest_ ? (digit_ + 1) % 10 : lowest_; }

void CDigitButton::step()
{
    setDigit(nextDigit());
    if (m_hWnd)
        RedrawWindow(nullptr, nullptr, ui::RDW_INVALIDATE | ui::RDW_UPDATENOW);
}

bool CDigitButton::pumpWhileHeld(std::uint32_t ms)
{
    const std::uint32_t start = sys::GetTickCount();
    for (;;) {
        if (!ui::processPendingMessages())
            held_ = false;  // the application is quitting
        if (!held_ || !m_hWnd)
            return false;
        const std::uint32_t elapsed = sys::GetTickCount() - start;
        if (elapsed >= ms)
            return true;
        sys::Sleep(std::min(kPollMs, ms - elapsed));
    }
}

void CDigitButton::OnLButtonDown(ui::UINT, ui::CPoint)
{
    if (held_)
        return;  // a press while the loop below runs
    held_ = true;
    SetCapture();
    step();
    if (!pumpWhileHeld(kFirstPauseMs))
        return;
    while (pumpWhileHeld(kRepeatMs))
        step();
}

void CDigitButton::OnLButtonDblClk(ui::UINT flags, ui::CPoint point)
{
    // A quick second click is one more step, like any other.
    OnLButtonDown(flags, point);
}

void CDigitButton::release()
{
    held_ = false;
    if (m_hWnd && ui::GetCapture() == m_hWnd)
        ui::ReleaseCapture();
}

void CDigitButton::OnLButtonUp(ui::UINT, ui::CPoint)
{
    release();
    ui::CWnd* repaint = repaintWindow_ ? repaintWindow_ : owner();
    if (repaint && repaint->m_hWnd)
        repaint->RedrawWindow(nullptr, nullptr, ui::RDW_INVALIDATE | ui::RDW_UPDATENOW | ui::RDW_ALLCHILDREN);
}

void CDigitButton::OnMouseMove(ui::UINT, ui::CPoint point)
{
    if (!held_)
        return;
    ui::CRect client;
    GetClientRect(&client);
    if (!client.PtInRect(point))
        release();
}

void CDigitButton::OnCaptureChanged(ui::CWnd* wnd)
{
    // Whoever takes the mouse ends the hold (a message box, say).
    if (!wnd || wnd->m_hWnd != m_hWnd)
        held_ = false;
    CBaseButton::OnCaptureChanged(wnd);
}

}  // namespace qm::panel
