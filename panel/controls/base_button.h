// A small button of the settings dialog that is nothing but one bitmap of
// the panel's skin, drawn unscaled at its top-left corner.
#pragma once

#include "platform/ui/framework/button.h"

namespace qm::panel {

class CBaseButton : public ui::CButton {
    DECLARE_DYNAMIC(CBaseButton)
public:
    static constexpr int kSide = 10;

    // Takes over control `id` of `owner` (the dialog it belongs to).
    ui::BOOL attach(ui::CWnd* owner, ui::UINT id);
    // 0 draws nothing.
    void setBitmap(ui::UINT id);
    ui::UINT bitmap() const { return bitmapId_; }
    // Moves the button to (x, y) of its owner at its size, without repainting.
    void moveTo(int x, int y);
    ui::POINT position() const { return {x_, y_}; }
    ui::CWnd* owner() const { return owner_; }

protected:
    // The size moveTo gives it: 10 x 10 unless a button needs more.
    virtual ui::SIZE buttonSize() const { return {kSide, kSide}; }
    void OnPaint() override;
    ui::BOOL OnEraseBkgnd(ui::CDC* dc) override;

private:
    ui::UINT bitmapId_ = 0;
    int x_ = 0;
    int y_ = 0;
    ui::CWnd* owner_ = nullptr;
};

}  // namespace qm::panel
