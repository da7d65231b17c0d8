// The browser's progress bar: a 100 x 40 face with a 72-segment bar and one
// line of text. Hidden, it shows the part of the browser's background that
// lies under it, so it disappears into the window.
#pragma once

#include <optional>
#include <string>

#include "platform/ui/framework/wnd.h"

namespace qm::panel {

class CProgressBar : public ui::CWnd {
    DECLARE_DYNAMIC(CProgressBar)
public:
    static constexpr int kWidth = 100;
    static constexpr int kHeight = 40;
    static constexpr int kSegments = 72;
    // A percent of this or more hides the bar.
    static constexpr int kHidePercent = 255;
    static constexpr int kBarLeft = 11;
    static constexpr int kBarTop = 17;
    static constexpr ui::COLORREF kBackground = ui::RGB(0x35, 0x38, 0x35);

    CProgressBar() = default;
    ~CProgressBar() override;

    // A child of `parent` at `place` (normally 100 x 40), hidden at first.
    ui::BOOL Create(ui::CWnd* parent, const ui::CRect& place, ui::UINT id);

    // Percent 0..100 (more counts as 100); 255 or more hides the bar.
    void SetPos(int percent);
    void SetText(const char* text);
    void SetText(const std::string& text) { SetText(text.c_str()); }
    void SetVisible(bool visible);

    int segments() const { return segments_; }
    int previousSegments() const { return previousSegments_; }
    const std::optional<std::string>& text() const { return text_; }
    bool visible() const { return visible_; }

    // The bar's segment count for a percent (capped at 72).
    static int segmentsFor(int percent);

protected:
    void OnPaint() override;
    ui::BOOL OnEraseBkgnd(ui::CDC* dc) override;

private:
    void paintFace(ui::CDC& dc);
    void paintBackground(ui::CDC& dc);
    void redrawNow(const ui::RECT* area);

    int segments_ = 0;
    int previousSegments_ = 0;
    std::optional<std::string> text_;
    bool visible_ = false;
};

}  // namespace qm::panel
