// Shared ground for the control tests: the host pumps and the system clock
// follows the virtual one; a stand-in for the browser; a window that plays
// the controls' parent dialog (painting the browser's background, holding
// owner-drawn buttons by id, recording commands); and pixels of the skin's
// own bitmaps to compare with.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "panel/model/panel_state.h"
#include "platform/ui/automation/automation.h"
#include "platform/ui/framework/afx.h"

namespace qm::panel::test {

class FakeBrowser : public BrowserHooks {
public:
    ui::HWND window = nullptr;
    int operation = 0;
    std::vector<std::pair<int, ui::UINT>> clicks;
    std::vector<int> doubleClicks;
    std::vector<int> infoShown;
    std::function<void(int)> onShowImageInfo;

    ui::HWND browserWindow() const override { return window; }
    int currentOperation() const override { return operation; }
    void cellClicked(int number, ui::UINT flags) override { clicks.emplace_back(number, flags); }
    void cellDoubleClicked(int number) override { doubleClicks.push_back(number); }
    void showImageInfo(int number) override
    {
        infoShown.push_back(number);
        if (onShowImageInfo)
            onShowImageInfo(number);
    }
    void repaintNow() override {}
    void progress(int) override {}
};

// A top-level window standing in for a dialog of the panel.
class HostWindow : public ui::CWnd {
public:
    // Visible, at `place` on the screen, painted with the browser's background.
    bool create(const ui::CRect& place);
    // An owner-drawn button child with this id, for a control to take over.
    ui::HWND addButton(int id, const ui::CRect& place);

    std::vector<int> clickedIds;
    std::function<void(ui::UINT_PTR)> onTimer;

protected:
    void OnPaint() override;
    ui::BOOL OnEraseBkgnd(ui::CDC* dc) override;
    ui::BOOL OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) override;
    void OnTimer(ui::UINT_PTR id) override;
};

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    FakeBrowser browser;
};

// Pixel (x, y) of the skin's bitmap `id`.
ui::COLORREF bitmapPixel(ui::UINT id, int x, int y);
// Whether the window's client area from (x, y) shows bitmap `id` unscaled
// over width x height (its top-left corner at (sourceX, sourceY)).
bool showsBitmap(ui::HWND window, int x, int y, int width, int height, ui::UINT id, int sourceX = 0, int sourceY = 0);
// A point of `area`, outside `covered`, where bitmaps `a` and `b` differ, so
// a pixel there tells which one is shown.
ui::POINT pointWhereBitmapsDiffer(ui::UINT a, ui::UINT b, const ui::CRect& area, const ui::CRect& covered = {});
// Writes a screenshot of the window into the test's working directory.
void saveScreenshot(ui::HWND window, const std::string& name);

}  // namespace qm::panel::test
