// The up and down buttons of the settings dialog's number controls: a press
// changes the number at once, and held down it changes again after 600 ms
// and then every 150 ms. The left button counts up, the right one down.
#pragma once

#include <cstdint>

#include "panel/controls/base_button.h"
#include "panel/controls/number_target.h"

namespace qm::panel {

class CRepeatButton : public CBaseButton {
    DECLARE_DYNAMIC(CRepeatButton)
public:
    static constexpr ui::UINT_PTR kRepeatTimer = 7189;
    static constexpr ui::UINT kTimerMs = 150;
    static constexpr std::uint32_t kFirstRepeatMs = 600;
    static constexpr std::uint32_t kRepeatMs = 150;

    void setTarget(NumberTarget* target) { target_ = target; }
    void setStep(int step) { step_ = step; }
    int step() const { return step_; }
    bool upwards() const { return up_; }
    bool repeating() const { return repeating_; }

protected:
    void OnLButtonDown(ui::UINT flags, ui::CPoint point) override;
    void OnLButtonDblClk(ui::UINT flags, ui::CPoint point) override;
    void OnRButtonDown(ui::UINT flags, ui::CPoint point) override;
    void OnRButtonDblClk(ui::UINT flags, ui::CPoint point) override;
    void OnLButtonUp(ui::UINT flags, ui::CPoint point) override;
    void OnRButtonUp(ui::UINT flags, ui::CPoint point) override;
    void OnMouseMove(ui::UINT flags, ui::CPoint point) override;
    void OnTimer(ui::UINT_PTR id) override;
    void OnCaptureChanged(ui::CWnd* wnd) override;
    void OnDestroy() override;

private:
    void press(bool up, std::uint32_t firstRepeatMs);
    void stop();
    // Repeats when the pointer is still on the button and the time has come.
    void track();
    void change();

    int step_ = 1;
    bool up_ = true;
    bool repeating_ = false;
    std::uint32_t nextRepeat_ = 0;
    NumberTarget* target_ = nullptr;
};

}  // namespace qm::panel
