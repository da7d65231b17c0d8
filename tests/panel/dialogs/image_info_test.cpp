// The image information dialog opened from a cell's icon on a model-17
// camera: the seven facts the device module and the camera give, the
// cell's open icon meanwhile, and the dialog without a connection.
#include "panel/dialogs/dialog_commands.h"
#include "platform/ui/input/keys.h"
#include "tests/panel/dialogs/dialogs_fixture.h"

namespace qm::panel::test {
namespace {

using Facts = std::vector<std::string>;

Facts inOrder(const ImageFacts& facts)
{
    Facts values;
    for (const std::string* value : facts.inOrder())
        values.push_back(*value);
    return values;
}

class ImageInformation : public DialogsTest {};

TEST_F(ImageInformation, TheIconShowsThePicturesFactsFromTheCamera)
{
    stillcam::StillCameraConfig config;
    config.model = 17;
    config.pictureCount = 4;
    config.dateTime = stillcam::CameraDateTime{2001, 3, 4, 5, 6, 7};
    start(config);
    ASSERT_EQ(panelState().modelCode, 17);

    Facts shown;
    ui::SIZE client{};
    bool iconOpen = false;
    whileUp<CImageInfoDlg>("Image Information", [&](CImageInfoDlg& dialog, ui::HWND window) {
        shown = inOrder(dialog.facts());
        client = clientSize(window);
        auto* cell = dynamic_cast<CThumbCell*>(ui::CWnd::FromHandlePermanent(control(IDC_FIRST_CELL + 1)));
        iconOpen = cell != nullptr && cell->infoOpen();
        photograph(window, "image-information");
        automation::clickAt(window, {100, 100});
    });
    ASSERT_TRUE(automation::clickAt(control(IDC_FIRST_CELL + 1), {14 + 8, 88 + 8}));
    pump();

    const std::uint8_t flash = camera().pictureInfo(2)->at(8);
    EXPECT_EQ(shown, (Facts{"2", "DSC00002.JPG", "Fine", "05:06:07, March 04, 2001", "640 x 480", "JPEG",
                            flash == 1 ? "ON" : "OFF"}));
    EXPECT_EQ(client.cx, 480);
    EXPECT_EQ(client.cy, 6 * 30 + 60);
    EXPECT_TRUE(iconOpen) << "the cell shows its icon open while the dialog is up";
    auto* cell = dynamic_cast<CThumbCell*>(ui::CWnd::FromHandlePermanent(control(IDC_FIRST_CELL + 1)));
    ASSERT_NE(cell, nullptr);
    EXPECT_FALSE(cell->infoOpen());
    EXPECT_TRUE(selectedNumbers().empty()) << "a click on the icon selects nothing";
}

TEST_F(ImageInformation, WithoutAConnectionOnlyTheLabelsShow)
{
    stillcam::StillCameraConfig config;
    config.model = 17;
    config.pictureCount = 2;
    start(config);
    camera().unplug();
    browser().HandleDisconnect(false);
    ASSERT_EQ(panelState().camera.connected, 0);

    Facts shown{"unset"};
    whileUp<CImageInfoDlg>("Image Information", [&](CImageInfoDlg& dialog, ui::HWND window) {
        shown = inOrder(dialog.facts());
        photograph(window, "image-information-disconnected");
        automation::pressKey(ui::VK_ESCAPE);
    });
    openImageInformation(browser(), 2);
    EXPECT_EQ(shown, Facts(7, ""));
    EXPECT_TRUE(messages().empty());
}

}  // namespace
}  // namespace qm::panel::test
