// The camera status dialog on the simulated camera: its strips and lines
// for the device module's mask, the values the camera reports, the line
// speed on USB and serial, and a camera that is not there.
#include "platform/system/byte_order.h"
#include "platform/ui/input/keys.h"
#include "tests/panel/dialogs/dialogs_fixture.h"

namespace qm::panel::test {
namespace {

using Lines = std::vector<CCameraStatusDlg::Line>;
using Names = std::vector<std::string>;

class CameraStatus : public DialogsTest {
protected:
    // Opens the dialog with its button, keeps what it shows and closes it
    // with a click; false when it did not open.
    bool showStatus(const std::string& screenshot = {})
    {
        bool shown = false;
        whileUp<CCameraStatusDlg>("Camera Status", [&, screenshot](CCameraStatusDlg& dialog, ui::HWND window) {
            shown = true;
            lines = dialog.lines();
            strips = dialog.stripCount();
            client = clientSize(window);
            firmware = dialog.value(kStatusFirmware);
            dialogCode = browser().currentDialog();
            exitShown = ui::IsWindowVisible(ui::GetDlgItem(window, IDC_STATUS_EXIT)) != ui::FALSE;
            if (!screenshot.empty())
                photograph(window, screenshot);
            automation::clickAt(window, {240, 20});
        });
        click(IDC_CAMERA_STATUS);
        return shown;
    }

    Lines lines;
    int strips = 0;
    ui::SIZE client{};
    std::string firmware;
    int dialogCode = 0;
    bool exitShown = true;
};

Names labelsOf(const Lines& lines)
{
    Names labels;
    for (const auto& line : lines)
        labels.push_back(line.label);
    return labels;
}

TEST_F(CameraStatus, TheDeviceModulesMaskGivesSevenStripsAndSixLines)
{
    stillcam::StillCameraConfig config;
    config.pictureCount = 3;
    start(config);
    ASSERT_EQ(browser().driverInfo().statusLineMask(), 0xFDu);
    ASSERT_TRUE(showStatus("camera-status"));

    EXPECT_EQ(strips, 7);
    EXPECT_EQ(client.cx, 480);
    EXPECT_EQ(client.cy, 7 * 30 + 60);
    EXPECT_FALSE(exitShown);
    EXPECT_EQ(dialogCode, kDialogCameraStatus);
    EXPECT_EQ(browser().currentDialog(), kDialogNone) << "cleared when the dialog closed";
    EXPECT_EQ(labelsOf(lines),
              (Names{"Capacity of Camera Storage :", "In use/Not in use for AC Adapter :", "Auto Power Off Time :",
                     "Play/Record Mode :", "Current/Maximum Number of the Images :", "Current Communications Port"}));

    // What the camera says of itself, as its information block has it.
    const auto info = camera().cameraInfo();
    const std::uint32_t free = sys::readLe16(&info[18]);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].value, "4 MB");
    EXPECT_EQ(lines[1].value, info[4] == 0 ? "Not in use" : "In Use");
    EXPECT_EQ(lines[2].value, std::to_string(info[5]) + " Minutes");
    EXPECT_EQ(lines[3].value, "Record mode");
    EXPECT_EQ(lines[4].value, "3 / " + std::to_string(3 + free));
    EXPECT_EQ(lines[5].value, "USB");
    EXPECT_EQ(firmware, "326");
}

TEST_F(CameraStatus, ASerialCameraShowsItsBaudRate)
{
    stillcam::StillCameraConfig config;
    config.pictureCount = 1;
    config.settings.operatingMode = 0;
    start(config, Attachment::Serial);
    ASSERT_EQ(panelState().camera.connected, 1);
    ASSERT_TRUE(showStatus("camera-status-serial"));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[3].value, "Play mode");
    EXPECT_EQ(lines[5].label, "Current Baud Rate");
    EXPECT_EQ(lines[5].value, std::to_string(camera().serialRate()) + " / bps");
}

TEST_F(CameraStatus, ValuesTheCameraCannotGiveAreNotAvailable)
{
    stillcam::StillCameraConfig config;
    config.pictureCount = 1;
    start(config);
    camera().overrideCameraInfoByte(6, 7);  // no mode the device module knows
    ASSERT_TRUE(showStatus());
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[3].value, "Not Available!");
    EXPECT_EQ(lines[0].value, "4 MB");
}

TEST_F(CameraStatus, AGoneCameraOpensNoDialogAndAnUnconnectedPanelAsksNothing)
{
    stillcam::StillCameraConfig config;
    config.pictureCount = 2;
    start(config);
    camera().unplug();
    automation::answerNextMessageBox(ui::IDOK);
    // No dialog opens (one would wait for an answer that never comes).
    click(IDC_CAMERA_STATUS);
    EXPECT_EQ(messages(), Names{"Connection failed.\nPlease check that\n1) The camera is on, and\n2) The serial "
                                "data cable is connected between PC and camera."});
    EXPECT_FALSE(enabled(IDC_CAMERA_STATUS));
    automation::clearMessageBoxes();

    // Opened while the panel is not connected, every line stays unknown and
    // the camera is not asked.
    Lines shown;
    whileUp<CCameraStatusDlg>("Camera Status", [&](CCameraStatusDlg& dialog, ui::HWND window) {
        shown = dialog.lines();
        photograph(window, "camera-status-disconnected");
        automation::pressKey(ui::VK_ESCAPE);  // Escape closes it too
    });
    CCameraStatusDlg dialog(0xFD, &browser());
    dialog.DoModal();
    ASSERT_EQ(shown.size(), 6u);
    for (const auto& line : shown)
        EXPECT_EQ(line.value, "Not Available!") << line.label;
    EXPECT_EQ(shown[5].label, "Current Baud Rate");
    EXPECT_TRUE(messages().empty());
}

}  // namespace
}  // namespace qm::panel::test
