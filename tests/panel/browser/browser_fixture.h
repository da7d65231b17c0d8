// The photo browser on a simulated still camera: the browser's own code runs
// in the test program (with the panel's resources compiled in), the device
// module is the real one, loaded by path from a private Windows directory,
// and the camera answers on the virtual USB cable or a serial port. The test
// thread pumps the messages, so clicks and keys are handled when it says.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "panel/browser/photo_browser_dlg.h"
#include "panel/entry/panel_globals.h"
#include "platform/ui/automation/automation.h"
#include "tests/support/still_camera_rig.h"
#include "tests/support/windows_dir.h"

namespace qm::panel::test {

namespace automation = qm::ui::automation;
using qm::test::Attachment;

class BrowserTest : public ::testing::Test {
protected:
    BrowserTest();
    ~BrowserTest() override;

    // Attaches the camera, binds the device module and creates the browser;
    // with `show`, shows it and runs connect-and-load as the panel's entry
    // does.
    void start(stillcam::StillCameraConfig config = {}, Attachment attachment = Attachment::Usb, bool show = true);
    CPhotoBrowserDlg& browser() { return *browser_; }
    stillcam::StillCamera& camera() { return *rig_->camera(); }
    ui::HWND window() const { return browser_->m_hWnd; }
    ui::HWND control(int id) const;

    // Input, handled before they return.
    void click(int id, automation::Modifiers modifiers = {});
    void clickCell(int index, automation::Modifiers modifiers = {});
    void doubleClickCell(int index);
    void pressKey(ui::UINT key);
    void pump() { automation::pumpPending(); }

    // What the grid shows: the picture number of each cell (0 for empty).
    std::vector<int> cellNumbers() const;
    std::vector<int> selectedNumbers() const;
    bool enabled(int id) const;
    // Message boxes shown since the start, their texts in order.
    std::vector<std::string> messages() const;
    // A screenshot of the browser for people to look at, in the build's
    // test artefacts directory.
    std::string screenshot(const std::string& name) const;

    qm::test::WindowsDir windows;

private:
    std::unique_ptr<qm::test::StillCameraRig> rig_;
    std::unique_ptr<CPhotoBrowserDlg> browser_;
};

// JPEG bytes of a small picture, for a camera to hold or a file to upload.
std::vector<std::uint8_t> smallJpeg(int width, int height, int seed);

}  // namespace qm::panel::test
