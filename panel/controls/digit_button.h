// One decimal digit of the settings dialog's date, time and number
// controls. A click steps the digit on; held down, it keeps stepping, and
// after its highest value it comes back to its lowest.
#pragma once

#include <cstdint>

#include "panel/controls/base_button.h"

namespace qm::panel {

class CDigitButton : public CBaseButton {
    DECLARE_DYNAMIC(CDigitButton)
public:
    static constexpr int kWidth = 15;
    static constexpr int kHeight = 21;
    // The first step comes at the press; the next after this pause...
    static constexpr std::uint32_t kFirstPauseMs = 50;
    // ...and the following ones at this pace while the button stays down.
    static constexpr std::uint32_t kRepeatMs = 150;

    // The skin's bitmap for a digit 0..9 (their ids are not in digit order).
    static ui::UINT bitmapFor(int digit);

    CDigitButton();

    void setDigit(int digit);
    int digit() const { return digit_; }
    // The values the digit runs through (0 and 9 unless set).
    void setRange(int lowest, int highest);
    int lowest() const { return lowest_; }
    int highest() const { return highest_; }
    bool held() const { return held_; }
    // The window repainted when the button is let go (the owner unless set).
    void setRepaintWindow(ui::CWnd* window) { repaintWindow_ = window; }

    // The digit after one step: up by one, or back to the lowest value
    // from the highest.
    int nextDigit() const;

protected:
    ui::SIZE buttonSize() const override { return {kWidth, kHeight}; }
    void OnLButtonDown(ui::UINT flags, ui::CPoint point) override;
    void OnLButtonDblClk(ui::UINT flags, ui::CPoint point) override;
    void OnLButtonUp(ui::UINT flags, ui::CPoint point) override;
    void OnMouseMove(ui::UINT flags, ui::CPoint point) override;
    void OnCaptureChanged(ui::CWnd* wnd) override;

private:
    void step();
    void release();
    // Handles messages for `ms` milliseconds, or until the button is let go
    // or its window is gone. False once it should stop.
    bool pumpWhileHeld(std::uint32_t ms);

    int digit_ = 0;
    int lowest_ = 0;
    int highest_ = 9;
    bool held_ = false;
    ui::CWnd* repaintWindow_ = nullptr;
};

}  // namespace qm::panel
