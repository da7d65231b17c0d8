// PanelEntry of the real panel module, loaded by path as the data source
// loads it, on the simulated still camera: the commands, the bindings, and
// the transfer cursor as the data source walks it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "device/entry/driver_entry.h"
#include "panel/entry/panel_entry.h"
#include "panel/resources/resource.h"
#include "platform/system/library.h"
#include "platform/ui/automation/automation.h"
#include "platform/ui/dialogs/dialog.h"
#include "platform/ui/thread/ui_thread.h"
#include "platform/ui/window/window.h"
#include "tests/support/still_camera_rig.h"
#include "tests/support/temp_dir.h"
#include "tests/support/windows_dir.h"

namespace qm::panel {
namespace {

namespace automation = qm::ui::automation;
using qm::test::Attachment;

class PanelEntryTest : public ::testing::Test {
protected:
    PanelEntryTest()
    {
        ui::hostPumpsMessages();
        automation::clearMessageBoxes();
        module = sys::LoadLibrary(windows.panelPath().c_str());
        entry = module != nullptr ? sys::getProc<PanelEntryProc>(module, kPanelEntryName) : nullptr;
    }
    ~PanelEntryTest() override
    {
        if (entry != nullptr)
            entry(CMUI_CLOSE, 0, 0, 0);
        if (module != nullptr)
            sys::FreeLibrary(module);
        rig.reset();
    }

    std::uint32_t call(std::uint32_t command, std::uintptr_t first = 0, std::uintptr_t second = 0)
    {
        return entry(command, first, second, 0);
    }
    template <typename A, typename B = std::nullptr_t>
    std::uint32_t call(std::uint32_t command, A* first, B* second = nullptr)
    {
        return entry(command, reinterpret_cast<std::uintptr_t>(first), reinterpret_cast<std::uintptr_t>(second), 0);
    }

    void attach(unsigned pictures)
    {
        stillcam::StillCameraConfig config;
        config.pictureCount = pictures;
        rig = std::make_unique<qm::test::StillCameraRig>(windows, config, Attachment::Usb);
        ASSERT_NE(rig->camera(), nullptr) << rig->error();
    }

    // Creates, binds and shows the browser as the data source does.
    void open()
    {
        PanelWindowHandle parent = nullptr;
        ASSERT_EQ(call(CMUI_CREATE, &parent, &dialog), 1u);
        const std::string source = windows.dataSourcePath();
        const std::string device = windows.devicePath();
        PanelPathArgument sourcePath{source.c_str()};
        PanelPathArgument devicePath{device.c_str()};
        ASSERT_EQ(call(CMUI_BIND, &sourcePath, &devicePath), 1u);
        std::uint32_t show = 1;
        ASSERT_EQ(call(CMUI_SHOW, &show), 1u);
        automation::pumpPending();
    }

    void click(int id, automation::Modifiers modifiers = {})
    {
        ASSERT_TRUE(automation::click(automation::findControl(static_cast<ui::HWND>(dialog), id), modifiers)) << id;
        automation::pumpPending();
    }
    // Selects pictures among the first twelve with Ctrl+clicks.
    void select(std::initializer_list<int> numbers)
    {
        click(IDC_PAGE_UP);
        for (int number : numbers)
            click(IDC_FIRST_CELL + number - 1, {.control = true});
    }
    // The Transfer button resets the cursor; the data source is not in a
    // session here, so its notification fails and the browser goes idle.
    void pressTransfer() { click(IDC_TRANSFER); }

    std::uint32_t remaining()
    {
        std::uint32_t count = 0xDEAD;
        EXPECT_EQ(call(CMUI_XFER_COUNT, &count), 1u);
        return count;
    }

    qm::test::WindowsDir windows;
    std::unique_ptr<qm::test::StillCameraRig> rig;
    sys::HMODULE module = nullptr;
    PanelEntryProc entry = nullptr;
    PanelWindowHandle dialog = nullptr;
};

bool loaded(const std::string& path)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle != nullptr)
        dlclose(handle);
    return handle != nullptr;
}

TEST_F(PanelEntryTest, UnknownCommandsAndACloseWithNothingOpenAnswerOne)
{
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(call(0), 1u);
    EXPECT_EQ(call(9), 1u);
    EXPECT_EQ(call(0xFFFF), 1u);
    EXPECT_EQ(call(CMUI_CLOSE), 1u);
    EXPECT_EQ(call(CMUI_RELEASE), 1u);
}

TEST_F(PanelEntryTest, ShowingZeroHidesWithoutTouchingTheCamera)
{
    attach(3);
    PanelWindowHandle parent = nullptr;
    ASSERT_EQ(call(CMUI_CREATE, &parent, &dialog), 1u);
    ASSERT_NE(dialog, nullptr);
    const std::string source = windows.dataSourcePath();
    const std::string device = windows.devicePath();
    PanelPathArgument sourcePath{source.c_str()};
    PanelPathArgument devicePath{device.c_str()};
    ASSERT_EQ(call(CMUI_BIND, &sourcePath, &devicePath), 1u);
    std::uint32_t hide = 0;
    EXPECT_EQ(call(CMUI_SHOW, &hide), 1u);
    EXPECT_FALSE(ui::IsWindowVisible(static_cast<ui::HWND>(dialog)));
    EXPECT_TRUE(rig->camera()->commandLog().empty());
}

TEST_F(PanelEntryTest, BindingWithoutADeviceModuleNeverTriesTheDataSource)
{
    const std::string source = windows.dataSourcePath();
    PanelPathArgument sourcePath{source.c_str()};
    PanelPathArgument empty{""};
    ASSERT_FALSE(loaded(qm::test::builtDataSource()));
    EXPECT_EQ(call(CMUI_BIND, &sourcePath, &empty), 0u);
    EXPECT_FALSE(loaded(qm::test::builtDataSource()));

    const std::string missing = windows.path() + "/nothing.dll";
    PanelPathArgument missingPath{missing.c_str()};
    EXPECT_EQ(call(CMUI_BIND, &sourcePath, &missingPath), 0u);
    EXPECT_FALSE(loaded(qm::test::builtDataSource()));

    const std::string device = windows.devicePath();
    PanelPathArgument devicePath{device.c_str()};
    EXPECT_EQ(call(CMUI_BIND, &sourcePath, &devicePath), 1u);
    EXPECT_TRUE(loaded(qm::test::builtDataSource())) << "the second reference to the data source";

    // A data source file without AcquireEntry fails the bind.
    PanelPathArgument notASource{device.c_str()};
    EXPECT_EQ(call(CMUI_BIND, &notASource, &devicePath), 0u);
}

TEST_F(PanelEntryTest, ImageSizeNeedsASelectionAndSwapsForQuarterTurns)
{
    attach(4);
    open();
    std::int32_t width = -7;
    std::int32_t height = -7;
    EXPECT_EQ(call(CMUI_IMAGE_SIZE, &width, &height), 0u);
    EXPECT_EQ(width, -7);
    EXPECT_EQ(height, -7);

    // Picture n is kept turned by n quarters (4 by none).
    for (int number = 1; number <= 3; ++number) {
        click(IDC_FIRST_CELL + number - 1);
        for (int turn = 0; turn < number; ++turn)
            click(IDC_ROTATE);
    }
    click(IDC_SELECT_ALL);
    pressTransfer();
    std::vector<std::uint8_t> buffer(device::pictureBufferSize(640, 480));
    for (int number = 1; number <= 4; ++number) {
        SCOPED_TRACE(number);
        ASSERT_EQ(call(CMUI_IMAGE_SIZE, &width, &height), 1u);
        const bool turned = number % 2 == 1;
        EXPECT_EQ(width, turned ? 480 : 640);
        EXPECT_EQ(height, turned ? 640 : 480);
        ASSERT_EQ(call(CMUI_GET_IMAGE, buffer.data()), 1u);
        EXPECT_EQ(std::int32_t(buffer[4] | buffer[5] << 8), width) << "the picture arrives turned";
    }
}

TEST_F(PanelEntryTest, TheCursorWalksTheSelectionAndMovesOnPastAFailedDownload)
{
    attach(8);
    // Picture 5 announces no data, so its download fails.
    for (std::size_t byte = 4; byte < 8; ++byte)
        rig->camera()->overridePictureInfoByte(5, byte, 0);
    open();
    select({2, 5, 7});
    pressTransfer();
    EXPECT_EQ(remaining(), 3u);
    std::vector<std::uint8_t> buffer(device::pictureBufferSize(640, 480));
    std::int32_t width = 0;
    std::int32_t height = 0;
    const std::uint32_t expected[] = {1, 0, 1};
    const std::uint32_t counts[] = {2, 1, 0};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(call(CMUI_IMAGE_SIZE, &width, &height), 1u);
        EXPECT_EQ(call(CMUI_GET_IMAGE, buffer.data()), expected[i]);
        EXPECT_EQ(remaining(), counts[i]);
    }
    EXPECT_TRUE(automation::messageBoxes().empty()) << "the camera stayed; nothing to tell";
}

TEST_F(PanelEntryTest, ShownAgainAfterHidingOrLeavingTheBrowserHoldsEachPictureOnce)
{
    attach(3);
    open();
    std::uint32_t hide = 0;
    std::uint32_t show = 1;
    ASSERT_EQ(call(CMUI_SHOW, &hide), 1u);
    ASSERT_EQ(call(CMUI_SHOW, &show), 1u);
    automation::pumpPending();
    click(IDC_SELECT_ALL);
    pressTransfer();
    EXPECT_EQ(remaining(), 3u);

    // Shown again, the browser ends the transfer the application left and
    // works again; leaving closes the connection, and shown once more the
    // browser connects anew.
    ASSERT_EQ(call(CMUI_SHOW, &show), 1u);
    automation::pumpPending();
    automation::answerNextMessageBox(ui::IDYES);
    click(IDC_EXIT);
    ASSERT_EQ(automation::messageBoxes().size(), 1u);
    EXPECT_EQ(automation::messageBoxes()[0].text, "Are you sure you want to out of this driver?");
    EXPECT_FALSE(ui::IsWindowVisible(static_cast<ui::HWND>(dialog)));
    ASSERT_EQ(call(CMUI_SHOW, &show), 1u) << "connects again";
    automation::pumpPending();
    click(IDC_SELECT_ALL);
    pressTransfer();
    EXPECT_EQ(remaining(), 3u);
}

TEST_F(PanelEntryTest, TraceLinesGoToTheTraceSink)
{
    qm::test::TempDir traces;
    qm::test::ScopedEnv trace("QM4200_TRACE", traces.file("trace.log"));
    attach(2);
    open();
    click(IDC_SELECT_ALL);
    pressTransfer();
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> buffer(device::pictureBufferSize(640, 480));
    call(CMUI_IMAGE_SIZE, &width, &height);
    call(CMUI_GET_IMAGE, buffer.data());
    remaining();
    EXPECT_EQ(qm::test::readTextFile(traces.file("trace.log")),
              "Init Dialog Start\nInit Dialog End\nTwain::PanelEntry(CMUI_IMAGE_SIZE)\n"
              "Twain::PanelEntry(CMUI_GET_IMAGE)\nTwain::PanelEntry(CMUI_XFER_COUNT)\n");
}

}  // namespace
}  // namespace qm::panel
