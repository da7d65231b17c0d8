// The browser's toolbar button: four bitmaps (normal, pressed, focus,
// disabled), the focus look while the pointer is over it, and a hint that
// appears when the pointer rests on it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "panel/controls/hint_wnd.h"
#include "platform/ui/framework/button.h"

namespace qm::panel {

// The four looks of a toolbar button, as bitmap ids.
struct ButtonLooks {
    ui::UINT normal = 0;
    ui::UINT pressed = 0;
    ui::UINT focus = 0;
    ui::UINT disabled = 0;
};

class CBmpButton : public ui::CBitmapButton {
    DECLARE_DYNAMIC(CBmpButton)
public:
    static constexpr ui::UINT_PTR kHintTimer = 1000;
    static constexpr ui::UINT kHintDelayMs = 10;
    // After this long without any movement over a toolbar button, the first
    // hint waits a little longer to come.
    static constexpr std::uint32_t kRestingMs = 10000;
    static constexpr std::uint32_t kFirstHintWaitMs = 1000;

    CBmpButton();
    ~CBmpButton() override;

    // Takes over control `id` of `parent`, loads its looks from the panel's
    // resources and puts it at `place` (parent's client coordinates).
    ui::BOOL attach(ui::CWnd* parent, ui::UINT id, const ButtonLooks& looks, const ui::CRect& place);
    ui::BOOL loadLooks(const ButtonLooks& looks);
    void setHint(std::string text) { hint_ = std::move(text); }
    const std::string& hint() const { return hint_; }

    bool hintTimerRunning() const { return hintTimerRunning_; }
    // The hint on show, or null.
    CHintWnd* hintWindow() const { return hintWnd_ && hintWnd_->m_hWnd ? hintWnd_.get() : nullptr; }

protected:
    void OnMouseMove(ui::UINT flags, ui::CPoint point) override;
    void OnTimer(ui::UINT_PTR id) override;
    void OnLButtonDown(ui::UINT flags, ui::CPoint point) override;
    void OnKillFocus(ui::CWnd* newWnd) override;
    void OnEnable(ui::BOOL enable) override;
    ui::BOOL OnSetCursor(ui::CWnd* wnd, ui::UINT hitTest, ui::UINT message) override;
    void OnDestroy() override;

private:
    bool pointerInside() const;
    bool pressed() const;
    void startHintTimer();
    void stopHintTimer();
    void showHint();
    void destroyHint();
    void releaseCapture();
    // Capture released, timer stopped, hint gone.
    void dropHint();

    std::string hint_;
    bool hintTimerRunning_ = false;
    std::unique_ptr<CHintWnd> hintWnd_;
};

}  // namespace qm::panel
