// One of the browser's twelve thumbnail cells: shows picture `number` of
// the camera (or nothing), passes clicks on it to the browser's selection
// and double clicks to a new fetch, and opens the image information dialog
// from its icon on model 17 cameras.
#pragma once

#include <string>

#include "platform/ui/framework/button.h"

namespace qm::panel {

class CThumbCell : public ui::CBitmapButton {
    DECLARE_DYNAMIC(CThumbCell)
public:
    static constexpr int kEmpty = 0xFFFF;
    static constexpr ui::UINT kFirstControlId = 1058;

    CThumbCell();

    // Takes over cell control 1058 + `index` (0..11) of the browser and puts
    // it at `place`, 97 x 108.
    ui::BOOL attach(ui::CWnd* browser, int index, ui::POINT place);

    // Shows picture `number` (kEmpty for none), redrawing when it changes.
    void setNumber(int number);
    int number() const { return number_; }
    // Redraws when the number changed since the last refresh, or when the
    // picture's item changed (turning its image first when a rotation waits).
    void refresh();

    bool needsRedraw() const { return needsRedraw_; }
    // Whether the cell has drawn a loaded picture; clicks count only then.
    bool loaded() const { return loaded_; }
    bool infoOpen() const { return infoOpen_; }
    const std::string& numberText() const { return numberText_; }

    void DrawItem(ui::DRAWITEMSTRUCT* dis) override;

protected:
    void OnLButtonDown(ui::UINT flags, ui::CPoint point) override;
    void OnLButtonDblClk(ui::UINT flags, ui::CPoint point) override;
    void OnLButtonUp(ui::UINT flags, ui::CPoint point) override;
    ui::BOOL OnEraseBkgnd(ui::CDC* dc) override;

private:
    // Whether the lists hold the cell's picture.
    bool showsPicture() const;
    void redrawNow();

    int number_ = kEmpty;
    bool needsRedraw_ = true;
    bool loaded_ = false;
    bool infoOpen_ = false;
    std::string numberText_;
};

}  // namespace qm::panel
