// An option button of the settings dialog: a bitmap for its up and its down
// state and a centred caption whose colour tells whether the option is
// offered (active), not offered (inactive), or the camera's current value
// (marked). In a group it stays down until another option is chosen; alone
// (OK and Cancel) it springs back when the mouse button is let go.
#pragma once

#include <array>
#include <string>

#include "platform/ui/framework/button.h"

namespace qm::panel {

class CCheckBox;

class CChoiceButton : public ui::CButton {
    DECLARE_DYNAMIC(CChoiceButton)
public:
    enum Activity { kInactive = 0, kActive = 1, kMarked = 2 };

    CChoiceButton();

    // Takes over control `id` of `dialog`.
    ui::BOOL attach(ui::CWnd* dialog, ui::UINT id, const std::string& caption, CCheckBox* group = nullptr);

    void setBitmaps(ui::UINT up, ui::UINT down);
    // The caption colour of each activity state 0..3.
    void setColours(const std::array<ui::COLORREF, 4>& colours) { colours_ = colours; }
    void setFont(ui::HFONT font) { font_ = font; }
    void setCaption(const std::string& caption);
    const std::string& caption() const { return caption_; }

    void setDown(bool down);
    bool down() const { return down_; }
    // States outside 1..3 count as inactive.
    void setActivity(int state);
    int activity() const { return activity_; }
    CCheckBox* group() const { return group_; }
    void setGroup(CCheckBox* group) { group_ = group; }

    // The caption colour for the current state.
    ui::COLORREF captionColour() const;

    void DrawItem(ui::DRAWITEMSTRUCT* dis) override;

protected:
    void OnLButtonDown(ui::UINT flags, ui::CPoint point) override;
    void OnLButtonDblClk(ui::UINT flags, ui::CPoint point) override;
    void OnLButtonUp(ui::UINT flags, ui::CPoint point) override;
    ui::BOOL OnEraseBkgnd(ui::CDC* dc) override;

private:
    std::string caption_;
    ui::UINT upBitmap_ = 0;
    ui::UINT downBitmap_ = 0;
    std::array<ui::COLORREF, 4> colours_;
    ui::HFONT font_ = nullptr;
    bool down_ = false;
    int activity_ = kActive;
    CCheckBox* group_ = nullptr;
};

}  // namespace qm::panel
