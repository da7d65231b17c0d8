// The status, settings and image information dialogs on the real browser,
// the real device module and a simulated camera: each dialog is opened as
// a user opens it and handed to the test while it is up.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "panel/dialogs/camera_settings_dlg.h"
#include "panel/dialogs/camera_status_dlg.h"
#include "panel/dialogs/image_info_dlg.h"
#include "tests/panel/browser/browser_fixture.h"
#include "tests/panel/save/modal_answers.h"

namespace qm::panel::test {

class DialogsTest : public BrowserTest {
protected:
    // Local time is universal time, so dates read the same everywhere.
    DialogsTest();
    ~DialogsTest() override;

    // Runs `use` while the dialog with this caption is up; `use` closes it.
    template <typename Dialog>
    void whileUp(const char* caption, std::function<void(Dialog&, ui::HWND)> use)
    {
        whenWindow([caption] { return automation::findWindow(caption); },
                   [use](ui::HWND window) {
                       auto* dialog = dynamic_cast<Dialog*>(ui::CWnd::FromHandlePermanent(window));
                       ASSERT_NE(dialog, nullptr);
                       use(*dialog, window);
                   });
    }

    // The client size of a window.
    static ui::SIZE clientSize(ui::HWND window);
    // Presses a key in the focused window and handles it at once.
    static void key(ui::UINT vk, automation::Modifiers modifiers = {});
    // The control id of the focused window.
    static int focusedId();
    // Clicks a window and handles the click at once.
    static void press(ui::CWnd* button);

    // The camera's settings as the camera holds them, for comparison.
    stillcam::CameraSettings cameraSettings() { return camera().settings(); }
};

}  // namespace qm::panel::test
