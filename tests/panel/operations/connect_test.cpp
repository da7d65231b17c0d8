// The Connect button on the simulated camera: the refresh question, a new
// line speed from KVB.ini taking effect, and a camera that went away.
#include "tests/panel/operations/operations_fixture.h"

namespace qm::panel::test {
namespace {

using stillcam::CMD_SET_SPEED;

const char* const kAskRefresh = "Do you want to refresh all Photos from Camera?";
const char* const kConnectionFailed =
    "Connection failed.\nPlease check that\n1) The camera is on, and\n2) The serial data cable is connected "
    "between PC and camera.";

class ConnectButton : public OperationsTest {
protected:
    void setSpeed(int rate)
    {
        qm::test::writeTextFile(windows.installDirectory() + "/KVB.ini",
                                "[Baud Rate Speeding]\nBaud Rate Mode=" + std::to_string(rate) + "\n");
    }
};

TEST_F(ConnectButton, RefreshLoadsWhatTheCameraHoldsNow)
{
    startWith(3);
    ASSERT_TRUE(camera().addPicture(smallJpeg(640, 480, 4)));
    camera().clearCommandLog();
    answerWithScreenshot(ui::IDOK, "question-refresh");
    click(IDC_CONNECT);
    EXPECT_EQ(messages(), std::vector<std::string>{kAskRefresh});
    EXPECT_EQ(panelState().camera.count, 4u);
    ASSERT_EQ(panelState().pictures.size(), 4u);
    EXPECT_TRUE(panelState().pictures.find(4).drawable());
    EXPECT_EQ(cellNumbers()[3], 4);
    EXPECT_EQ(browser().currentOperation(), kOperationIdle);
    EXPECT_TRUE(showsConnected());
}

TEST_F(ConnectButton, CancelLeavesEverythingAsItWas)
{
    startWith(3);
    select({2});
    camera().clearCommandLog();
    automation::answerNextMessageBox(ui::IDCANCEL);
    click(IDC_CONNECT);
    EXPECT_EQ(messages(), std::vector<std::string>{kAskRefresh});
    EXPECT_EQ(selectedNumbers(), std::vector<int>{2});
    EXPECT_EQ(heard(stillcam::CMD_PICTURE_INFO), 0u) << "nothing is loaded again";
    EXPECT_EQ(browser().currentOperation(), kOperationIdle);
    EXPECT_TRUE(showsConnected());
}

TEST_F(ConnectButton, ANewSpeedInKvbIniReconnectsAtThatSpeed)
{
    setSpeed(19200);
    start([] {
        stillcam::StillCameraConfig config;
        config.pictureCount = 2;
        return config;
    }(), Attachment::Serial);
    ASSERT_EQ(panelState().camera.connected, 1);
    ASSERT_EQ(camera().serialRate(), 19200u);

    // The same speed: the connection stays as it is.
    camera().clearCommandLog();
    automation::answerNextMessageBox(ui::IDOK);
    click(IDC_CONNECT);
    EXPECT_EQ(heard(CMD_SET_SPEED), 0u);
    EXPECT_EQ(camera().serialRate(), 19200u);
    EXPECT_EQ(panelState().camera.connected, 1);

    setSpeed(57600);
    automation::answerNextMessageBox(ui::IDOK);
    click(IDC_CONNECT);
    EXPECT_EQ(camera().serialRate(), 57600u);
    EXPECT_EQ(panelState().camera.connected, 1);
    EXPECT_EQ(panelState().pictures.size(), 2u);
    EXPECT_EQ(messages().size(), 2u) << "only the two refresh questions";
    EXPECT_TRUE(showsConnected());
}

TEST_F(ConnectButton, ACameraThatWentAwayIsAskedForAgain)
{
    startWith(2);
    camera().unplug();
    answerWithScreenshot(ui::IDOK, "question-reconnect");
    automation::answerNextMessageBox(ui::IDOK);
    click(IDC_CONNECT);
    EXPECT_EQ(messages(), (std::vector<std::string>{"Are you sure you want to Connect\nComputer to Camera, again?",
                                                    kConnectionFailed}));
    EXPECT_EQ(panelState().camera.connected, 0);
    EXPECT_EQ(cellNumbers(), std::vector<int>(kCellCount, 0));
    EXPECT_TRUE(panelState().thumbs.empty());
}

}  // namespace
}  // namespace qm::panel::test
