// The camera settings dialog on the simulated camera: its rows for the
// device module's entries, every change reaching the camera, play mode and
// a lost camera with the line speed alone, failed writes, the line speed
// and the new connection it asks for, and use by keyboard.
#include "common/config/kvb_config.h"
#include "platform/ui/input/keys.h"
#include "tests/panel/dialogs/dialogs_fixture.h"

namespace qm::panel::test {
namespace {

using Names = std::vector<std::string>;
using namespace device;

constexpr const char* kSuccess = "To set Camera Status is successful!";
constexpr const char* kFailed = "To set Camera Status is failed!";
constexpr const char* kSpeedChanged =
    "Baud Rate Speeding has been changed!\nDo you want to make a new connection to validate the new Baud Rate "
    "Speeding?\n";

class CameraSettings : public DialogsTest {
protected:
    // What the open dialog showed.
    struct Shown {
        int strips = 0;
        ui::SIZE client{};
        Names names;
        bool full = false;
        std::vector<int> marked;  // per option group in row order: the marked choice (1-based, 0 none)
    };

    static int markedChoice(const CCheckBox* group)
    {
        if (group == nullptr)
            return -1;
        for (int i = 0; i < group->count(); ++i)
            if (group->item(i)->activity() == CChoiceButton::kMarked)
                return i + 1;
        return 0;
    }

    // Opens the dialog with its button; `use` sees it (and what it showed)
    // and closes it.
    void openSettings(std::function<void(CCameraSettingsDlg&, ui::HWND)> use)
    {
        whileUp<CCameraSettingsDlg>("Camera Settings", [this, use](CCameraSettingsDlg& dialog, ui::HWND window) {
            shown.strips = dialog.stripCount();
            shown.client = clientSize(window);
            shown.names = dialog.shownNames();
            shown.full = dialog.fullSettings();
            for (std::uint32_t id = kSettingFlashMode; id <= kSettingLineSpeed; ++id)
                if (dialog.options(id) != nullptr)
                    shown.marked.push_back(markedChoice(dialog.options(id)));
            use(dialog, window);
        });
        click(IDC_CAMERA_SETTINGS);
    }

    static void choose(CCameraSettingsDlg& dialog, std::uint32_t setting, int choice)
    {
        CCheckBox* group = dialog.options(setting);
        ASSERT_NE(group, nullptr) << "setting " << setting;
        press(group->item(choice - 1));
    }

    Shown shown;
};

TEST_F(CameraSettings, NineEntriesMakeTenStripsAndEveryChangeReachesTheCamera)
{
    stillcam::StillCameraConfig config;
    config.pictureCount = 2;
    config.dateTime = stillcam::CameraDateTime{2001, 3, 4, 10, 20, 30};
    start(config);
    automation::answerNextMessageBox(ui::IDOK);
    openSettings([](CCameraSettingsDlg& dialog, ui::HWND window) {
        photograph(window, "camera-settings");
        choose(dialog, kSettingFlashMode, 1);  // Auto
        choose(dialog, kSettingSelfTimer, 2);  // On
        choose(dialog, kSettingLcdDisplay, 1);  // Off
        choose(dialog, kSettingIconDisplay, 1);  // Off
        choose(dialog, kSettingQualityMode, 1);  // Normal
        press(dialog.dateControl()->upButton());  // a day later
        press(dialog.timeControl()->upButton());  // a minute later
        press(dialog.minutesControl()->upButton());  // a minute longer
        press(&dialog.okButton());
    });

    EXPECT_TRUE(shown.full);
    EXPECT_EQ(shown.strips, 10);
    EXPECT_EQ(shown.client.cx, 480);
    EXPECT_EQ(shown.client.cy, 10 * 30 + 60);
    EXPECT_EQ(shown.names, (Names{"Flash Mode", "Self Shoot Timer", "LCD Display", "Icon Display", "Quality Mode",
                                  "Baud Rate Speeding", "Camera Date", "Camera time", "Auto Off Time(Minutes)"}));
    // The camera's values as read: flash off, timer off, LCD on, icons on,
    // fine quality, and USB.
    EXPECT_EQ(shown.marked, (std::vector<int>{3, 1, 2, 2, 2, 1}));

    EXPECT_EQ(messages(), Names{kSuccess});
    const stillcam::CameraSettings now = cameraSettings();
    EXPECT_EQ(now.flashMode, 0);
    EXPECT_EQ(now.selfTimer, 1);
    EXPECT_EQ(now.lcdDisplay, 0);
    EXPECT_EQ(now.iconDisplay, 0);
    EXPECT_EQ(now.quality, 0);
    EXPECT_EQ(now.autoOffMinutes, 4);
    const stillcam::CameraDateTime clock = camera().dateTime();
    EXPECT_EQ((std::array{clock.year, clock.month, clock.day, clock.hour, clock.minute}),
              (std::array{2001, 3, 5, 10, 21}));
    EXPECT_LE(clock.second, 35);
    EXPECT_EQ(browser().currentDialog(), kDialogNone);
}

TEST_F(CameraSettings, CancelAndUnchangedValuesSendNothing)
{
    stillcam::StillCameraConfig config;
    config.pictureCount = 1;
    start(config);
    openSettings([](CCameraSettingsDlg& dialog, ui::HWND) {
        choose(dialog, kSettingFlashMode, 1);
        press(&dialog.cancelButton());
    });
    EXPECT_EQ(cameraSettings(), config.settings);

    automation::answerNextMessageBox(ui::IDOK);
    camera().clearCommandLog();
    openSettings([](CCameraSettingsDlg& dialog, ui::HWND) {
        // Away and back again: the value the camera has.
        choose(dialog, kSettingQualityMode, 1);
        choose(dialog, kSettingQualityMode, 2);
        press(&dialog.okButton());
    });
    EXPECT_EQ(messages(), Names{kSuccess});
    for (const stillcam::CommandRecord& record : camera().commandLog())
        EXPECT_NE(record.code, stillcam::CMD_SET_PARAMETER);
}

TEST_F(CameraSettings, AFailedWriteIsReportedAndTheOtherSettingsStillApply)
{
    stillcam::StillCameraConfig config;
    config.pictureCount = 1;
    start(config);
    ASSERT_TRUE(camera().injectFaults("no-reply cmd=set-parameter times=1"));
    automation::answerNextMessageBox(ui::IDOK);
    openSettings([](CCameraSettingsDlg& dialog, ui::HWND) {
        choose(dialog, kSettingFlashMode, 1);
        choose(dialog, kSettingSelfTimer, 2);
        press(&dialog.okButton());
    });
    // The flash mode's answer was lost; the self timer was still written.
    EXPECT_EQ(messages(), Names{kFailed});
    EXPECT_EQ(cameraSettings().selfTimer, 1);
}

TEST_F(CameraSettings, InPlayModeOnlyTheLineSpeedIsOffered)
{
    stillcam::StillCameraConfig config;
    config.pictureCount = 1;
    config.settings.operatingMode = 0;
    start(config);
    automation::answerNextMessageBox(ui::IDOK);
    openSettings([](CCameraSettingsDlg& dialog, ui::HWND window) {
        photograph(window, "camera-settings-play-mode");
        EXPECT_EQ(dialog.options(kSettingFlashMode), nullptr);
        EXPECT_EQ(dialog.dateControl(), nullptr);
        press(&dialog.okButton());
    });
    EXPECT_FALSE(shown.full);
    EXPECT_EQ(shown.strips, 3);
    EXPECT_EQ(shown.client.cy, 3 * 30 + 60);
    EXPECT_EQ(shown.names, Names{"Baud Rate Speeding"});
    EXPECT_EQ(shown.marked, std::vector<int>{1}) << "USB";
    EXPECT_EQ(messages(), Names{"Only Baud Rate Speeding is available for Setting in current mode.\nIf you want to "
                                "reset other camera status, Camera Mode must be in Record Mode."})
        << "no success message without full settings, and USB needs no new connection";
}

TEST_F(CameraSettings, ALostCameraStillLetsTheLineSpeedBeChosen)
{
    stillcam::StillCameraConfig config;
    config.pictureCount = 1;
    start(config);
    camera().unplug();
    automation::answerNextMessageBox(ui::IDOK);
    automation::answerNextMessageBox(ui::IDNO);
    openSettings([](CCameraSettingsDlg& dialog, ui::HWND) {
        choose(dialog, kSettingLineSpeed, 1);  // Slow
        press(&dialog.okButton());
    });
    EXPECT_FALSE(shown.full);
    EXPECT_EQ(shown.names, Names{"Baud Rate Speeding"});
    EXPECT_EQ(shown.marked, std::vector<int>{3}) << "the preferred 115200 is Fast";
    EXPECT_EQ(config::readInt("Baud Rate Speeding", "Baud Rate Mode", 0), 38400);
    EXPECT_EQ(messages(),
              (Names{"Only Baud Rate Speeding is available for setting, when connection failed.\nPlease check "
                     "that\n1) The camera is on, and\n2) The serial data cable is connected between PC and "
                     "camera.\n3) Camera Mode is in Record Mode.",
                     kSpeedChanged}));
    EXPECT_EQ(panelState().camera.connected, 0);
}

TEST_F(CameraSettings, ANewLineSpeedAsksForANewConnectionThatUsesIt)
{
    stillcam::StillCameraConfig config;
    config.pictureCount = 1;
    start(config, Attachment::Serial);
    ASSERT_EQ(panelState().camera.connected, 1);
    ASSERT_EQ(camera().serialRate(), 115200u);
    automation::answerNextMessageBox(ui::IDOK);
    automation::answerNextMessageBox(ui::IDYES);
    openSettings([](CCameraSettingsDlg& dialog, ui::HWND window) {
        photograph(window, "camera-settings-serial");
        choose(dialog, kSettingLineSpeed, 1);  // Slow
        press(&dialog.okButton());
    });
    EXPECT_EQ(shown.marked.back(), 3) << "Fast, the line's 115200";
    EXPECT_EQ(messages(), (Names{kSuccess, kSpeedChanged}));
    EXPECT_EQ(config::readInt("Baud Rate Speeding", "Baud Rate Mode", 0), 38400);
    EXPECT_EQ(panelState().camera.connected, 1) << "connected again";
    EXPECT_EQ(camera().serialRate(), 38400u);

    // The class the line already uses: nothing is written, nothing asked.
    config::writeInt("Baud Rate Speeding", "Baud Rate Mode", 9600);
    automation::clearMessageBoxes();
    automation::answerNextMessageBox(ui::IDOK);
    shown = {};
    openSettings([](CCameraSettingsDlg& dialog, ui::HWND) {
        choose(dialog, kSettingLineSpeed, 2);
        choose(dialog, kSettingLineSpeed, 1);
        press(&dialog.okButton());
        EXPECT_FALSE(dialog.speedChanged());
    });
    EXPECT_EQ(shown.marked.back(), 1) << "Slow, the line's 38400";
    EXPECT_EQ(messages(), Names{kSuccess});
    EXPECT_EQ(config::readInt("Baud Rate Speeding", "Baud Rate Mode", 0), 9600);
}

TEST_F(CameraSettings, TheKeyboardReachesEveryButtonInRowOrder)
{
    stillcam::StillCameraConfig config;
    config.pictureCount = 1;
    start(config);
    automation::answerNextMessageBox(ui::IDOK);
    std::vector<int> visited;
    openSettings([&visited](CCameraSettingsDlg& dialog, ui::HWND window) {
        visited.push_back(focusedId());
        for (int i = 0; i < 44; ++i) {
            key(ui::VK_TAB);
            visited.push_back(focusedId());
        }
        // Flash mode "Fill" by Space, the power-off minutes one up by the
        // Up key on their last digit; Enter is OK.
        while (focusedId() != IDC_FLASH_2)
            key(ui::VK_TAB);
        key(ui::VK_SPACE);
        while (focusedId() != IDC_AUTO_OFF_DIGIT_1 + 1)
            key(ui::VK_TAB);
        key(ui::VK_UP);
        photograph(window, "camera-settings-keyboard");
        EXPECT_EQ(dialog.minutesControl()->minutes(), 4);
        key(ui::VK_RETURN);
    });
    std::vector<int> rowOrder = {IDC_FLASH_1, IDC_FLASH_2, IDC_FLASH_3, IDC_TIMER_1,   IDC_TIMER_2,   IDC_LCD_1,
                                 IDC_LCD_2,   IDC_ICON_1,  IDC_ICON_2,  IDC_QUALITY_1, IDC_QUALITY_2, IDC_SPEED_SLOW};
    const auto append = [&rowOrder](int first, int count) {
        for (int id = first; id < first + count; ++id)
            rowOrder.push_back(id);
    };
    append(IDC_YEAR_DIGIT_1, 8);  // the date's digits...
    append(IDC_FIRST_REPEAT, 2);  // ...and its up and down
    append(IDC_HOUR_DIGIT_1, 6);  // the time
    append(IDC_FIRST_REPEAT + 6, 2);
    append(IDC_AUTO_OFF_DIGIT_1, 2);  // the power-off minutes
    append(IDC_LAST_REPEAT - 1, 2);
    append(ui::IDOK, 2);  // OK and Cancel
    ASSERT_GE(visited.size(), rowOrder.size() + 1);
    EXPECT_EQ(std::vector<int>(visited.begin(), visited.begin() + long(rowOrder.size())), rowOrder);
    EXPECT_EQ(visited[rowOrder.size()], IDC_FLASH_1) << "round again";
    EXPECT_EQ(messages(), Names{kSuccess});
    EXPECT_EQ(cameraSettings().flashMode, 1);
    EXPECT_EQ(cameraSettings().autoOffMinutes, 4);
}

}  // namespace
}  // namespace qm::panel::test
