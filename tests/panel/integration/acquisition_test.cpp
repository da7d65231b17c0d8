// Whole acquisitions as a user makes them: an application opens QM4200
// through our source manager and enables it; the real panel connects to the
// simulated camera over USB or the serial line and shows its thumbnails; the
// user picks pictures, turns one and presses Transfer; the application pulls
// them by its mechanism. Every picture must be what the device module itself
// decodes for it, and no other picture may arrive. The test thread is the
// application and pumps its messages, as a windowed application does.
#include <filesystem>

#include "panel/resources/resource.h"
#include "platform/ui/automation/automation.h"
#include "platform/ui/dialogs/dialog.h"
#include "platform/ui/thread/ui_thread.h"
#include "platform/ui/window/window.h"
#include "tests/panel/integration/acquisition_support.h"
#include "tests/support/still_camera_rig.h"
#include "tests/support/windows_dir.h"

namespace qm::panel::test {
namespace {

using namespace twain;
namespace automation = qm::ui::automation;
using qm::test::Attachment;

constexpr const char* kBrowser = "Corvel Camera 640X480 driver";

struct Wanted {
    int number;
    int rotation;
};

class PanelAcquisition : public ::testing::Test {
protected:
    PanelAcquisition()
    {
        ui::hostPumpsMessages();
        automation::clearMessageBoxes();
    }

    void attach(Attachment attachment, unsigned pictures = 6)
    {
        stillcam::StillCameraConfig config;
        config.pictureCount = pictures;
        rig = std::make_unique<qm::test::StillCameraRig>(windows, config, attachment);
        ASSERT_NE(rig->camera(), nullptr) << rig->error();
    }

    void click(int id, automation::Modifiers modifiers = {})
    {
        ui::HWND browser = automation::findWindow(kBrowser);
        ASSERT_NE(browser, nullptr);
        ASSERT_TRUE(automation::click(automation::findControl(browser, id), modifiers)) << id;
        automation::pumpPending();
    }

    // The user turns picture 4 a quarter to the right and selects 2, 4 and 5.
    void pickPictures()
    {
        click(IDC_FIRST_CELL + 3);
        click(IDC_ROTATE);
        click(IDC_FIRST_CELL + 1, {.control = true});
        click(IDC_FIRST_CELL + 4, {.control = true});
    }

    void expectDecodedByTheDeviceModule(const std::vector<RgbPicture>& arrived, const std::vector<Wanted>& wanted)
    {
        ASSERT_EQ(arrived.size(), wanted.size());
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            SCOPED_TRACE(wanted[i].number);
            RgbPicture reference;
            ASSERT_TRUE(decodeWithDeviceModule(windows.devicePath(), wanted[i].number, wanted[i].rotation, reference));
            EXPECT_EQ(arrived[i].width, reference.width);
            EXPECT_EQ(arrived[i].height, reference.height);
            EXPECT_TRUE(arrived[i].rgb == reference.rgb) << "the pixels differ";
        }
    }

    qm::test::WindowsDir windows;
    qm::test::TempDir out;
    std::unique_ptr<qm::test::StillCameraRig> rig;
};

class EveryMechanism : public PanelAcquisition,
                       public ::testing::WithParamInterface<std::tuple<TW_UINT16, Attachment>> {};

TEST_P(EveryMechanism, TheSelectedPicturesArriveAsTheDeviceModuleDecodesThem)
{
    const auto [mechanism, attachment] = GetParam();
    attach(attachment);
    TwainApplication app;
    ASSERT_TRUE(app.open(mechanism));
    ASSERT_TRUE(app.enable());
    automation::pumpPending();
    pickPictures();
    click(IDC_TRANSFER);
    ASSERT_EQ(app.notifications(), std::vector<TW_UINT16>{MSG_XFERREADY});

    const std::vector<Wanted> wanted = {{2, 0}, {4, 1}, {5, 0}};
    std::vector<RgbPicture> arrived;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        SCOPED_TRACE(i);
        RgbPicture picture;
        ASSERT_EQ(app.transfer(out.path(), picture), TWRC_XFERDONE) << "condition " << app.condition();
        arrived.push_back(std::move(picture));
        EXPECT_EQ(app.endTransfer(), int(wanted.size() - i - 1));
    }
    EXPECT_EQ(app.notifications(), (std::vector<TW_UINT16>{MSG_XFERREADY, MSG_CLOSEDSREQ}));
    expectDecodedByTheDeviceModule(arrived, wanted);
    EXPECT_TRUE(automation::messageBoxes().empty());
    // The transfer is over: the browser works again for an application that
    // keeps the source open.
    ui::HWND browser = automation::findWindow(kBrowser);
    EXPECT_TRUE(ui::IsWindowEnabled(automation::findControl(browser, IDC_TRANSFER)));
    EXPECT_TRUE(ui::IsWindowEnabled(automation::findControl(browser, IDC_ERASE)));
    app.close();
}

INSTANTIATE_TEST_SUITE_P(Panel, EveryMechanism,
                         ::testing::Combine(::testing::Values(TWSX_NATIVE, TWSX_MEMORY, TWSX_FILE),
                                            ::testing::Values(Attachment::Usb, Attachment::Serial)),
                         [](const auto& info) {
                             const TW_UINT16 mechanism = std::get<0>(info.param);
                             return std::string(mechanism == TWSX_NATIVE   ? "Native"
                                                : mechanism == TWSX_MEMORY ? "Memory"
                                                                           : "File") +
                                    (std::get<1>(info.param) == Attachment::Usb ? "OverUsb" : "OverSerial");
                         });

TEST_F(PanelAcquisition, ExitAndYesDuringATransferEndItCleanly)
{
    attach(Attachment::Usb);
    TwainApplication app;
    ASSERT_TRUE(app.open(TWSX_FILE));
    ASSERT_TRUE(app.enable());
    automation::pumpPending();
    click(IDC_FIRST_CELL);
    click(IDC_FIRST_CELL + 1, {.shift = true});
    click(IDC_FIRST_CELL + 2, {.shift = true});
    click(IDC_TRANSFER);
    RgbPicture first;
    ASSERT_EQ(app.transfer(out.path(), first), TWRC_XFERDONE);
    EXPECT_EQ(app.endTransfer(), 2);

    // The user presses Exit while the application asks for the next picture,
    // and confirms the abort.
    automation::answerNextMessageBox(ui::IDYES);
    ui::HWND browser = automation::findWindow(kBrowser);
    ASSERT_TRUE(automation::click(automation::findControl(browser, IDC_EXIT)));
    RgbPicture second;
    EXPECT_NE(app.transfer(out.path(), second), TWRC_XFERDONE);
    ASSERT_EQ(automation::messageBoxes().size(), 1u);
    EXPECT_EQ(automation::messageBoxes()[0].text, "Are you sure you want to abort this process?");
    EXPECT_EQ(app.endTransfer(), 0) << "nothing more comes";
    EXPECT_EQ(app.notifications(), (std::vector<TW_UINT16>{MSG_XFERREADY, MSG_CLOSEDSREQ}));

    // The first picture is whole; no second file was left behind.
    expectDecodedByTheDeviceModule({first}, {{1, 0}});
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(out.path()))
        files.push_back(entry.path().filename().string());
    EXPECT_EQ(files, std::vector<std::string>{"picture1.bmp"});
    EXPECT_TRUE(ui::IsWindowVisible(browser)) << "an abort is not a leave";
    app.close();
}

TEST_F(PanelAcquisition, ASecondExitDuringATransferLeavesAtOnce)
{
    attach(Attachment::Usb);
    TwainApplication app;
    ASSERT_TRUE(app.open(TWSX_NATIVE));
    ASSERT_TRUE(app.enable());
    automation::pumpPending();
    click(IDC_SELECT_ALL);
    click(IDC_TRANSFER);
    automation::answerNextMessageBox(ui::IDYES);
    click(IDC_EXIT);
    click(IDC_EXIT);
    EXPECT_EQ(automation::messageBoxes().size(), 1u) << "the second Exit asks nothing";
    EXPECT_EQ(automation::findWindow(kBrowser), nullptr) << "the browser is hidden";
    EXPECT_EQ(app.notifications(), (std::vector<TW_UINT16>{MSG_XFERREADY, MSG_CLOSEDSREQ}));
    RgbPicture picture;
    EXPECT_NE(app.transfer(out.path(), picture), TWRC_XFERDONE) << "the panel has left";
    EXPECT_EQ(app.endTransfer(), 0);
    app.close();
}

}  // namespace
}  // namespace qm::panel::test
