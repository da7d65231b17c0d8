// The camera unplugged in the middle of each operation (it detaches at a
// chosen command): one connection-failed message, the disconnected
// buttons, an empty grid and a browser that still answers.
#include <algorithm>

#include "platform/system/files.h"
#include "tests/panel/operations/operations_fixture.h"

namespace qm::panel::test {
namespace {

const char* const kConnectionFailed =
    "Connection failed.\nPlease check that\n1) The camera is on, and\n2) The serial data cable is connected "
    "between PC and camera.";

class Unplugged : public OperationsTest {
protected:
    void unplugAt(const std::string& script) { ASSERT_TRUE(camera().injectFaults(script)); }

    void expectDisconnectedOnce()
    {
        EXPECT_FALSE(camera().usbAttached()) << "the fault did strike";
        const std::vector<std::string> shown = messages();
        EXPECT_EQ(std::count(shown.begin(), shown.end(), kConnectionFailed), 1) << ::testing::PrintToString(shown);
        EXPECT_EQ(panelState().camera.connected, 0);
        EXPECT_TRUE(showsDisconnected());
        EXPECT_EQ(cellNumbers(), std::vector<int>(kCellCount, 0));
        EXPECT_EQ(browser().currentOperation(), kOperationIdle);
        EXPECT_FALSE(browser().progressBar().visible());
        EXPECT_TRUE(ui::IsWindowVisible(window()));
        // Still usable: Connect answers (and finds no camera).
        automation::answerNextMessageBox(ui::IDOK);
        click(IDC_CONNECT);
        EXPECT_EQ(messages().back(), kConnectionFailed);
    }
};

TEST_F(Unplugged, DuringAnErase)
{
    startWith(6);
    select({1, 2, 3});
    unplugAt("unplug cmd=erase skip=1");
    automation::answerNextMessageBox(ui::IDOK);
    click(IDC_ERASE);
    // The second erase reached the camera, which went before it answered.
    EXPECT_EQ(camera().pictureCount(), 4u);
    expectDisconnectedOnce();
}

TEST_F(Unplugged, WhileTakingAPicture)
{
    startWith(2);
    unplugAt("unplug cmd=capture");
    automation::answerNextMessageBox(ui::IDOK);
    click(IDC_TAKE_PICTURE);
    expectDisconnectedOnce();
}

TEST_F(Unplugged, DuringAnUpload)
{
    startWith(1);
    qm::test::TempDir files;
    const std::vector<std::string> paths = {files.file("a.jpg"), files.file("b.jpg")};
    for (std::size_t i = 0; i < paths.size(); ++i)
        ASSERT_TRUE(sys::writeFileAtomically(paths[i], smallJpeg(320, 240, int(i))));
    unplugAt("unplug cmd=write-block skip=2");
    automation::answerNextFileDialog(paths);
    automation::answerNextMessageBox(ui::IDOK);
    click(IDC_UPLOAD);
    expectDisconnectedOnce();
}

TEST_F(Unplugged, DuringTheZoomWriteBack)
{
    qm::test::TempDir temporary;
    qm::test::ScopedEnv tmpdir("TMPDIR", temporary.path());
    prepareWith(3);
    ASSERT_TRUE(camera().zoomPicture(1, {0, 0, 320, 240}));
    ASSERT_TRUE(camera().zoomPicture(3, {0, 0, 320, 240}));
    // Picture 3 is saved and erased; 1 is saved, and the camera goes as it
    // erases 1, before it answers.
    unplugAt("unplug cmd=erase skip=1");
    automation::answerNextMessageBox(ui::IDYES);
    automation::answerNextMessageBox(ui::IDOK);
    connectNow();
    // Both zoomed forms are only on disk now, and stay there.
    EXPECT_EQ(camera().pictureCount(), 1u);
    EXPECT_TRUE(sys::fileExists(temporary.file("~DC3.tmp")));
    EXPECT_TRUE(sys::fileExists(temporary.file("~DC1.tmp")));
    expectDisconnectedOnce();
}

TEST_F(Unplugged, WhileConnectReloads)
{
    startWith(4);
    // Detaches at the third picture information after the refresh began.
    unplugAt("unplug cmd=picture-info skip=2");
    automation::answerNextMessageBox(ui::IDOK);
    automation::answerNextMessageBox(ui::IDOK);
    click(IDC_CONNECT);
    expectDisconnectedOnce();
}

}  // namespace
}  // namespace qm::panel::test
