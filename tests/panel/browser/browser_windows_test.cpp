// The small windows of the browser: help, the About box, the version
// messages and the service screen reached by Alt+letters.
#include "panel/browser/service_screen.h"
#include "platform/ui/input/keys.h"
#include "tests/panel/browser/browser_fixture.h"

namespace qm::panel::test {
namespace {

class BrowserWindows : public BrowserTest {};

TEST_F(BrowserWindows, HelpShowsThePanelsHelpText)
{
    start();
    click(IDC_HELP);
    ui::HWND help = automation::findWindow("Vantrel Help");
    ASSERT_NE(help, nullptr) << "the help window opens";
    EXPECT_TRUE(messages().empty());
    // Closing the browser closes its help.
    browser().DestroyWindow();
    pump();
    EXPECT_EQ(automation::findWindow("Vantrel Help"), nullptr);
}

TEST_F(BrowserWindows, TheAboutBoxOpensModallyAndClosesByKeyboard)
{
    start();
    bool seen = false;
    automation::whenIdle([&] {
        ui::HWND about = automation::findWindow("About Corvel Camera");
        seen = about != nullptr && browser().currentDialog() == kDialogAbout;
        automation::pressKey(ui::VK_RETURN);
    });
    ui::SendMessage(window(), ui::WM_COMMAND, IDC_ABOUT, 0);
    EXPECT_TRUE(seen);
    EXPECT_EQ(browser().currentDialog(), kDialogNone);
    EXPECT_EQ(automation::findWindow("About Corvel Camera"), nullptr);
}

TEST_F(BrowserWindows, VersionsShowTheCamerasFirmwareAndTheDriversText)
{
    stillcam::StillCameraConfig config;
    config.firmware = "V3.26";
    start(config);
    automation::answerNextMessageBox(ui::IDOK);
    ui::SendMessage(window(), ui::WM_COMMAND, IDC_FIRMWARE, 0);
    automation::answerNextMessageBox(ui::IDOK);
    ui::SendMessage(window(), ui::WM_COMMAND, IDC_VERSION, 0);
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[0], "Firmware Version is 326\n");
    EXPECT_EQ(messages()[1], "Digital Still Image Twain Driver V4.0");
}

TEST_F(BrowserWindows, TheServiceScreenUnlocksWithItsSequenceTypedAsAltLetters)
{
    start();
    auto type = [&](const std::string& letters) {
        for (char letter : letters)
            automation::pressKey(ui::UINT(letter), {.alt = true});
        pump();
    };
    // Locked: the short sequences do nothing.
    type("FWVER");
    EXPECT_TRUE(messages().empty());
    automation::answerNextMessageBox(ui::IDOK);
    type("QUILLONSERVICEON");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "Quillon");
    automation::answerNextMessageBox(ui::IDOK);
    type("FWVER");
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[1].rfind("Firmware Version is ", 0), 0u);
    // A plain key is a "Y", which starts no sequence and clears the buffer,
    // so "FW", Escape, "ER" completes nothing.
    type("FW");
    pressKey(ui::VK_ESCAPE);
    type("ER");
    EXPECT_EQ(messages().size(), 2u);
    // Unlocked, "V" alone shows the driver's version text.
    automation::answerNextMessageBox(ui::IDOK);
    type("V");
    ASSERT_EQ(messages().size(), 3u);
    EXPECT_EQ(messages()[2], "Digital Still Image Twain Driver V4.0");
}

TEST(ServiceScreen, PasswordSequencesNeedTheirKeysInKvbIni)
{
    qm::test::WindowsDir windows;
    ServiceScreen screen;
    auto typeAll = [&](const std::string& letters) {
        ServiceAction last = ServiceAction::None;
        for (char letter : letters)
            last = screen.feed(letter);
        return last;
    };
    EXPECT_EQ(typeAll("firmwareversionkey"), ServiceAction::None);
    qm::test::writeTextFile(windows.installDirectory() + "/KVB.ini",
                            "[Main]\nTolvane Password=QUILLON\nFirmware Password=v4.0\n");
    EXPECT_EQ(typeAll("FirmwareVersionKey"), ServiceAction::ShowFirmwareVersion);
    EXPECT_EQ(typeAll("SOFTWAREVERSIONCHECK"), ServiceAction::None) << "no software password";
    EXPECT_FALSE(screen.unlocked());
    // Arming and shooting need the unlocked screen, in that order.
    EXPECT_EQ(typeAll("GO"), ServiceAction::None);
    EXPECT_EQ(typeAll("QUILLONSERVICEON"), ServiceAction::Unlocked);
    EXPECT_EQ(typeAll("GO"), ServiceAction::None);
    EXPECT_EQ(typeAll("AR"), ServiceAction::ArmPictureShortcut);
    EXPECT_EQ(typeAll("GO"), ServiceAction::TakePicture);
    EXPECT_EQ(typeAll("GO"), ServiceAction::None) << "the shortcut fires once";
}

}  // namespace
}  // namespace qm::panel::test
