// A TWAIN application that never pumps window messages, as most on Linux:
// it enables the source and waits for the source's notification. The
// platform's UI thread runs the browser, and a UI script plays the user.
// This runs in a program of its own, because a host that pumps once cannot
// be taken back.
#include <chrono>
#include <thread>

#include "platform/ui/thread/ui_thread.h"
#include "tests/panel/integration/acquisition_support.h"
#include "tests/support/still_camera_rig.h"
#include "tests/support/windows_dir.h"

namespace qm::panel::test {
namespace {

using namespace twain;

bool waitFor(TwainApplication& app, TW_UINT16 message, std::chrono::seconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        for (TW_UINT16 seen : app.notifications()) {
            if (seen == message)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

TEST(UnpumpedHost, TheUiThreadShowsTheBrowserAndTheUserTransfers)
{
    qm::test::WindowsDir windows;
    qm::test::TempDir out;
    stillcam::StillCameraConfig config;
    config.pictureCount = 5;
    qm::test::StillCameraRig rig(windows, config, qm::test::Attachment::Usb);
    ASSERT_NE(rig.camera(), nullptr) << rig.error();

    // The user waits for the thumbnails, picks pictures 2 and 4 and presses
    // Transfer.
    const std::string script = out.file("pick.script");
    qm::test::writeTextFile(script,
                            "wait-window \"Corvel Camera 640X480 driver\" 30000\n"
                            "wait-enabled \"Corvel Camera 640X480 driver\" 1002 30000\n"
                            "click \"Corvel Camera 640X480 driver\" 1059\n"
                            "click \"Corvel Camera 640X480 driver\" 1061 ctrl\n"
                            "click \"Corvel Camera 640X480 driver\" 1002\n");
    qm::test::ScopedEnv scriptEnv("QM4200_UI_SCRIPT", script);

    TwainApplication app;
    ASSERT_TRUE(app.open(TWSX_NATIVE));
    ASSERT_TRUE(app.enable());
    EXPECT_TRUE(ui::uiThreadRunning()) << "the platform pumps for this host";
    ASSERT_TRUE(waitFor(app, MSG_XFERREADY, std::chrono::seconds(60)));

    std::vector<RgbPicture> arrived;
    for (int remaining = 1; remaining >= 0; --remaining) {
        RgbPicture picture;
        ASSERT_EQ(app.transfer(out.path(), picture), TWRC_XFERDONE) << "condition " << app.condition();
        arrived.push_back(std::move(picture));
        EXPECT_EQ(app.endTransfer(), remaining);
    }
    EXPECT_TRUE(waitFor(app, MSG_CLOSEDSREQ, std::chrono::seconds(5)));
    for (std::size_t i = 0; i < arrived.size(); ++i) {
        RgbPicture reference;
        ASSERT_TRUE(decodeWithDeviceModule(windows.devicePath(), int(2 * i + 2), 0, reference));
        EXPECT_TRUE(arrived[i].rgb == reference.rgb) << "picture " << 2 * i + 2;
    }
    app.close();
}

}  // namespace
}  // namespace qm::panel::test
