// The toolbar's hint: a small bordered window, on top of everything, that
// shows one line in the small font, black on pale yellow, just below the
// pointer.
#pragma once

#include <string>

#include "platform/ui/framework/wnd.h"

namespace qm::panel {

class CHintWnd : public ui::CWnd {
    DECLARE_DYNAMIC(CHintWnd)
public:
    static constexpr ui::COLORREF kBackground = ui::RGB(255, 255, 192);
    static constexpr int kMinimumEdgeGap = 2;

    // Shows `text` for a pointer at `pointer` (screen coordinates), owned by
    // `owner`'s top-level window. Nothing is activated.
    ui::BOOL Create(ui::CWnd* owner, const std::string& text, ui::POINT pointer);

    // Where a hint whose text measures `text` goes for a pointer at
    // `pointer` on a screen of `screen`: centred 16 pixels below the
    // pointer, one pixel of border around the text, moved left or up onto
    // the screen but never closer than 2 pixels to its left or top edge.
    static ui::CRect placement(ui::POINT pointer, ui::SIZE text, ui::SIZE screen);
    // The size of `text` in the small font.
    static ui::SIZE measure(const std::string& text);

    const std::string& text() const { return text_; }

protected:
    void OnPaint() override;
    ui::BOOL OnEraseBkgnd(ui::CDC* dc) override;

private:
    std::string text_;
};

}  // namespace qm::panel
