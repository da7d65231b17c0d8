// Connecting and loading on the simulated camera: the thumbnails, the button
// states the device module's capability mask gives, connection polling, a
// thumbnail fetch that fails, a camera that is not there, and how the cells
// place their thumbnails.
#include "platform/ui/input/keys.h"
#include "tests/panel/browser/browser_fixture.h"

namespace qm::panel::test {
namespace {

using stillcam::StillCameraConfig;

constexpr int kCameraButtons[] = {IDC_SAVE_TO_DISK, IDC_TRANSFER, IDC_SELECT_ALL, IDC_SELECT_NONE, IDC_ROTATE,
                                  IDC_ERASE, IDC_CAMERA_SETTINGS, IDC_CAMERA_STATUS, IDC_UPLOAD, IDC_TAKE_PICTURE};
constexpr int kScrollButtons[] = {IDC_PAGE_UP, IDC_PAGE_DOWN, IDC_ROW_UP, IDC_ROW_DOWN};

const char* const kConnectionFailed =
    "Connection failed.\nPlease check that\n1) The camera is on, and\n2) The serial data cable is connected "
    "between PC and camera.";

class BrowserConnection : public BrowserTest {};

TEST_F(BrowserConnection, LoadsEveryThumbnailAndEnablesTheButtonsByTheCapabilityMask)
{
    StillCameraConfig config;
    config.pictureCount = 4;
    start(config);
    EXPECT_EQ(panelState().camera.connected, 1);
    EXPECT_EQ(panelState().camera.count, 4u);
    EXPECT_EQ(panelState().modelCode, 16);
    ASSERT_EQ(panelState().pictures.size(), 4u);
    for (const PictureItem& picture : panelState().pictures)
        EXPECT_TRUE(picture.drawable()) << picture.number;
    EXPECT_EQ(ui::getWindowText(window()), "Corvel Camera 640X480 driver");
    for (int id : kCameraButtons)
        EXPECT_TRUE(enabled(id)) << id;
    for (int id : kScrollButtons)
        EXPECT_TRUE(enabled(id)) << id;
    EXPECT_TRUE(enabled(IDC_CONNECT) && enabled(IDC_HELP) && enabled(IDC_EXIT));
    EXPECT_TRUE(browser().polling());
    EXPECT_TRUE(messages().empty());
    screenshot("browser-loaded");
    clickCell(1);
    clickCell(3, {.control = true});
    screenshot("browser-selection");
}

TEST_F(BrowserConnection, AModelWithoutUploadLeavesItsButtonDisabled)
{
    StillCameraConfig config;
    config.model = 18;  // the device module clears the upload bit for it
    config.pictureCount = 2;
    start(config);
    EXPECT_EQ(browser().driverInfo().capabilities(), 0x3FBu);
    EXPECT_FALSE(enabled(IDC_UPLOAD));
    for (int id : kCameraButtons)
        EXPECT_EQ(enabled(id), id != IDC_UPLOAD) << id;
}

TEST_F(BrowserConnection, BeforeConnectingOnlyTheWayInAndOutWork)
{
    start({}, Attachment::Usb, false);
    browser().ShowWindow(ui::SW_SHOW);
    pump();
    EXPECT_TRUE(enabled(IDC_CONNECT) && enabled(IDC_HELP) && enabled(IDC_EXIT));
    EXPECT_TRUE(enabled(IDC_CAMERA_SETTINGS)) << "the line speed can be set before connecting";
    for (int id : kCameraButtons)
        EXPECT_EQ(enabled(id), id == IDC_CAMERA_SETTINGS) << id;
    for (int id : kScrollButtons)
        EXPECT_FALSE(enabled(id)) << id;
    EXPECT_FALSE(browser().polling());
    EXPECT_TRUE(camera().commandLog().empty()) << "the camera is not contacted before the browser is shown";
    screenshot("browser-before-connecting");
}

TEST_F(BrowserConnection, NoCameraGivesTheConnectionMessageOnce)
{
    start({}, Attachment::None, false);
    browser().ShowWindow(ui::SW_SHOW);
    automation::answerNextMessageBox(ui::IDOK);
    EXPECT_FALSE(browser().ConnectAndLoad());
    pump();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], kConnectionFailed);
    EXPECT_EQ(panelState().camera.connected, 0);
    EXPECT_TRUE(enabled(IDC_CONNECT));
    EXPECT_FALSE(enabled(IDC_TRANSFER));
}

TEST_F(BrowserConnection, AFailedReconnectLeavesOnlyTheWayBackInUsable)
{
    start();
    browser().HandleDisconnect(false);
    camera().unplug();
    automation::answerNextMessageBox(ui::IDOK);
    EXPECT_FALSE(browser().ConnectAndLoad());
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], kConnectionFailed);
    // The last connection's capability mask does not make its buttons look
    // usable now.
    for (int id : kCameraButtons)
        EXPECT_EQ(enabled(id), id == IDC_CAMERA_SETTINGS) << id;
    EXPECT_TRUE(enabled(IDC_CONNECT));
    EXPECT_FALSE(browser().polling());
}

TEST_F(BrowserConnection, AnEmptyCameraSaysSoAndStaysConnected)
{
    StillCameraConfig config;
    config.pictureCount = 0;
    start(config, Attachment::Usb, false);
    browser().ShowWindow(ui::SW_SHOW);
    automation::answerNextMessageBox(ui::IDOK);
    EXPECT_TRUE(browser().ConnectAndLoad());
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "Sorry, We couldn't catch\nany Photos from your Camera!");
    EXPECT_EQ(panelState().camera.connected, 1);
    EXPECT_EQ(cellNumbers(), std::vector<int>(kCellCount, 0));
}

TEST_F(BrowserConnection, PollingReloadsAChangedCameraAndNoticesAnUnpluggedOne)
{
    StillCameraConfig config;
    config.pictureCount = 3;
    start(config);
    ASSERT_TRUE(camera().addPicture(smallJpeg(320, 240, 1)));
    automation::runFor(30000);
    EXPECT_EQ(panelState().camera.count, 4u);
    EXPECT_EQ(panelState().pictures.size(), 4u);
    EXPECT_TRUE(panelState().pictures.find(4).drawable());
    EXPECT_TRUE(messages().empty());

    camera().unplug();
    automation::answerNextMessageBox(ui::IDOK);
    automation::runFor(30000);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], kConnectionFailed);
    EXPECT_EQ(panelState().camera.connected, 0);
    EXPECT_FALSE(browser().polling());
    EXPECT_FALSE(enabled(IDC_TRANSFER));
    EXPECT_TRUE(enabled(IDC_CONNECT));
    EXPECT_EQ(cellNumbers(), std::vector<int>(kCellCount, 0));
}

TEST_F(BrowserConnection, PollingFollowsTheIntervalInKvbIni)
{
    qm::test::writeTextFile(windows.installDirectory() + "/KVB.ini", "[POLLING]\nPOLLING=5000\n");
    StillCameraConfig config;
    config.pictureCount = 1;
    start(config);
    ASSERT_TRUE(camera().addPicture(smallJpeg(160, 120, 2)));
    automation::runFor(4900);
    EXPECT_EQ(panelState().camera.count, 1u);
    automation::runFor(200);
    EXPECT_EQ(panelState().camera.count, 2u);
}

TEST_F(BrowserConnection, APollingIntervalOfZeroStillLeavesTheCameraAlone)
{
    qm::test::writeTextFile(windows.installDirectory() + "/KVB.ini", "[POLLING]\nPOLLING=0\n");
    StillCameraConfig config;
    config.pictureCount = 1;
    start(config);
    camera().clearCommandLog();
    automation::runFor(900);
    EXPECT_TRUE(camera().commandLog().empty()) << "no poll before a second has passed";
    automation::runFor(200);
    EXPECT_FALSE(camera().commandLog().empty());
}

TEST_F(BrowserConnection, AThumbnailThatWasNotFetchedIsNeverTakenForZoomed)
{
    // The device module marks a zoomed picture by leaving 20 in the call's
    // number; a picture numbered 20 whose fetch never took place must not
    // look like one (the write-back would erase it).
    StillCameraConfig config;
    config.pictureCount = 20;
    start(config);
    ASSERT_EQ(panelState().thumbs.size(), 20u);
    EXPECT_TRUE(browser().zoomList().empty());
    panelState().camera.connected = 0;
    EXPECT_FALSE(browser().FetchThumbnail(20)) << "not connected: nothing is fetched";
    EXPECT_TRUE(browser().zoomList().empty());
    EXPECT_TRUE(messages().empty()) << "the camera still answers";
}

TEST_F(BrowserConnection, AFailedThumbnailStopsLoadingAndKeepsWhatLoaded)
{
    StillCameraConfig config;
    config.pictureCount = 6;
    // The fourth thumbnail never comes: its picture information goes
    // unanswered on both of the device module's tries (the first request
    // is the connection's look at the last picture).
    config.faultScript = "no-reply cmd=picture-info skip=4 times=2";
    start(config);
    EXPECT_EQ(panelState().thumbs.size(), 4u) << "1..3 loaded, 4 tried";
    for (int number = 1; number <= 3; ++number)
        EXPECT_TRUE(panelState().pictures.find(number).drawable()) << number;
    EXPECT_FALSE(panelState().pictures.find(4).drawable());
    EXPECT_FALSE(enabled(IDC_TRANSFER)) << "a load that did not finish leaves the camera buttons off";
    EXPECT_TRUE(enabled(IDC_CONNECT));
}

TEST_F(BrowserConnection, CellsPlaceLandscapeAndPortraitThumbnails)
{
    StillCameraConfig config;
    config.pictureCount = 2;
    start(config);
    clickCell(1);
    click(IDC_ROTATE);
    click(IDC_SELECT_NONE);
    pump();
    // Cell 1: the 80 x 60 thumbnail, 8 pixels below the box's top, its left
    // 76 columns. Cell 2: the turned 60 x 80 one, 8 pixels right of the
    // box's left edge, its bottom 76 rows.
    auto pixelOf = [](const PictureItem& picture, int x, int yFromTop) {
        const std::size_t row = std::size_t(picture.height - 1 - yFromTop);
        const std::uint8_t* p = picture.image.data() + 40 + row * dibStride(picture.width) + std::size_t(x) * 3;
        return ui::RGB(p[2], p[1], p[0]);
    };
    const PictureItem& landscape = panelState().pictures.find(1);
    const PictureItem& portrait = panelState().pictures.find(2);
    const int x1 = 40 + 10;
    const int y1 = 31 + 10;
    for (auto [x, y] : {std::pair{0, 0}, std::pair{75, 59}, std::pair{40, 30}})
        EXPECT_EQ(automation::pixelAt(window(), x1 + x, y1 + 8 + y), pixelOf(landscape, x, y)) << x << "," << y;
    const int x2 = 141 + 10;
    for (auto [x, y] : {std::pair{0, 4}, std::pair{59, 79}, std::pair{30, 40}})
        EXPECT_EQ(automation::pixelAt(window(), x2 + 8 + x, y1 + y - 4), pixelOf(portrait, x, y)) << x << "," << y;
}

}  // namespace
}  // namespace qm::panel::test
