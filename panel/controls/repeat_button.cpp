#include "panel/controls/repeat_button.h"

#include "platform/system/timing.h"

namespace qm::panel {

IMPLEMENT_DYNAMIC(CRepeatButton, CBaseButton)

void CRepeatButton::change()
{
    if (target_)
        target_->changeBy(up_ ? step_ : -step_);
}

void CRepeatButton::press(bool up, std::uint32_t firstRepeatMs)
{
    SetCapture();
    repeating_ = SetTimer(kRepeatTimer, kTimerMs) != 0;
    up_ = up;
    nextRepeat_ = sys::GetTickCount() + firstRepeatMs;
    change();
}

void CRepeatButton::stop()
{
    const bool captured = m_hWnd && ui::GetCapture() == m_hWnd;
    repeating_ = false;
    if (m_hWnd)
        KillTimer(kRepeatTimer);
    if (captured)
        ui::ReleaseCapture();
}

void CRepeatButton::track()
{
    if (!repeating_)
        return;
    ui::POINT pointer;
    ui::CRect window;
    GetWindowRect(&window);
    if (!ui::GetCursorPos(&pointer) || !window.PtInRect(pointer)) {
        stop();
        return;
    }
    // Signed, so that the comparison survives the tick count wrapping.
    if (std::int32_t(sys::GetTickCount() - nextRepeat_) >= 0) {
        change();
        nextRepeat_ += kRepeatMs;
    }
}

void CRepeatButton::OnLButtonDown(ui::UINT, ui::CPoint) { press(true, kFirstRepeatMs); }
void CRepeatButton::OnLButtonDblClk(ui::UINT, ui::CPoint) { press(true, kRepeatMs); }
void CRepeatButton::OnRButtonDown(ui::UINT, ui::CPoint) { press(false, kFirstRepeatMs); }
void CRepeatButton::OnRButtonDblClk(ui::UINT, ui::CPoint) { press(false, kRepeatMs); }
void CRepeatButton::OnLButtonUp(ui::UINT, ui::CPoint) { stop(); }
void CRepeatButton::OnRButtonUp(ui::UINT, ui::CPoint) { stop(); }

void CRepeatButton::OnMouseMove(ui::UINT, ui::CPoint)
{
    if (m_hWnd && ui::GetCapture() == m_hWnd)
        track();
}

void CRepeatButton::OnTimer(ui::UINT_PTR id)
{
    if (id == kRepeatTimer)
        track();
    else
        CBaseButton::OnTimer(id);
}

void CRepeatButton::OnCaptureChanged(ui::CWnd* wnd)
{
    // Without the mouse the button cannot see its release; it stops rather
    // than run on.
    if (!wnd || wnd->m_hWnd != m_hWnd) {
        repeating_ = false;
        if (m_hWnd)
            KillTimer(kRepeatTimer);
    }
    CBaseButton::OnCaptureChanged(wnd);
}

void CRepeatButton::OnDestroy()
{
    stop();
    CBaseButton::OnDestroy();
}

}  // namespace qm::panel
