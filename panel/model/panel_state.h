// The panel module's shared state: one camera record, the two picture lists
// and the model code, and the browser window through which the controls, the
// busy cursor and the device module's progress callback reach the browser.
#pragma once

#include "panel/model/camera_state.h"
#include "panel/model/picture_list.h"
#include "panel/model/thumb_list.h"
#include "platform/ui/types.h"

namespace qm::panel {

// What the browser offers its controls. CPhotoBrowserDlg implements it and
// registers itself while its window exists.
class BrowserHooks {
public:
    virtual ~BrowserHooks() = default;
    virtual ui::HWND browserWindow() const = 0;
    // The running operation's code (0 when idle).
    virtual int currentOperation() const = 0;
    // A left click on a cell showing picture `number`, with the click's
    // button-state flags (MK_SHIFT, MK_CONTROL).
    virtual void cellClicked(int number, ui::UINT flags) = 0;
    virtual void cellDoubleClicked(int number) = 0;
    // A click on a cell's information icon: the image information dialog,
    // shown modally, for picture `number`.
    virtual void showImageInfo(int number) = 0;
    // Repaints the whole browser at once, without erasing.
    virtual void repaintNow() = 0;
    // The device module's progress callback lands here (percent 0..100).
    virtual void progress(int percent) = 0;
};

struct PanelState {
    CameraState camera;
    int modelCode = 0;             // model code 17 gives every cell an information icon
    ThumbList thumbs;
    PictureList pictures;
    BrowserHooks* browser = nullptr;

    // Discards both lists and makes them anew, empty.
    void resetLists()
    {
        thumbs = ThumbList();
        pictures = PictureList();
    }
};

// The module's one instance.
PanelState& panelState();

}  // namespace qm::panel
