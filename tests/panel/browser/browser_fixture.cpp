#include "tests/panel/browser/browser_fixture.h"

#include <filesystem>

#include "platform/ui/input/keys.h"
#include "platform/ui/thread/ui_thread.h"
#include "simulators/stillcam/imaging/jpeg_codec.h"

namespace qm::panel::test {

BrowserTest::BrowserTest()
{
    ui::hostPumpsMessages();
    automation::clearMessageBoxes();
}

BrowserTest::~BrowserTest()
{
    if (browser_) {
        if (browser_->m_hWnd != nullptr)
            browser_->DestroyWindow();
        browser_.reset();
    }
    driverLink().call(device::kTypeDisconnect, 0);
    driverLink().unbind();
    acquireLink().unbind();
    panelState() = PanelState();
    transferCursor() = TransferCursor();
    rig_.reset();
    pump();
}

void BrowserTest::start(stillcam::StillCameraConfig config, Attachment attachment, bool show)
{
    rig_ = std::make_unique<qm::test::StillCameraRig>(windows, config, attachment);
    ASSERT_NE(rig_->camera(), nullptr) << rig_->error();
    ASSERT_TRUE(driverLink().bind(windows.devicePath().c_str()));
    browser_ = std::make_unique<CPhotoBrowserDlg>(nullptr);
    ASSERT_TRUE(browser_->CreateBrowser());
    if (show) {
        browser_->ShowWindow(ui::SW_SHOW);
        browser_->ConnectAndLoad();
        pump();
    }
}

ui::HWND BrowserTest::control(int id) const
{
    return automation::findControl(window(), id);
}

void BrowserTest::click(int id, automation::Modifiers modifiers)
{
    ASSERT_TRUE(automation::click(control(id), modifiers)) << "control " << id;
    pump();
}

void BrowserTest::clickCell(int index, automation::Modifiers modifiers)
{
    click(IDC_FIRST_CELL + index, modifiers);
}

void BrowserTest::doubleClickCell(int index)
{
    ASSERT_TRUE(automation::doubleClick(control(IDC_FIRST_CELL + index)));
    pump();
}

void BrowserTest::pressKey(ui::UINT key)
{
    ui::SetFocus(window());
    automation::pressKey(key);
    pump();
}

std::vector<int> BrowserTest::cellNumbers() const
{
    std::vector<int> numbers;
    for (int index = 0; index < kCellCount; ++index) {
        auto* cell = dynamic_cast<CThumbCell*>(ui::CWnd::FromHandlePermanent(control(IDC_FIRST_CELL + index)));
        const int number = cell != nullptr ? cell->number() : -1;
        numbers.push_back(number == CThumbCell::kEmpty ? 0 : number);
    }
    return numbers;
}

std::vector<int> BrowserTest::selectedNumbers() const
{
    std::vector<int> numbers;
    for (const ThumbItem& item : panelState().thumbs) {
        if (item.selected)
            numbers.push_back(item.number);
    }
    return numbers;
}

bool BrowserTest::enabled(int id) const
{
    return ui::IsWindowEnabled(control(id)) != ui::FALSE;
}

std::vector<std::string> BrowserTest::messages() const
{
    std::vector<std::string> texts;
    for (const automation::MessageBoxRecord& record : automation::messageBoxes())
        texts.push_back(record.text);
    return texts;
}

std::string BrowserTest::screenshot(const std::string& name) const
{
    const std::string directory = qm::test::builtTestFile("artifacts/panel");
    std::filesystem::create_directories(directory);
    const std::string path = directory + "/" + name + ".png";
    automation::screenshot(window(), path);
    return path;
}

std::vector<std::uint8_t> smallJpeg(int width, int height, int seed)
{
    stillcam::RgbImage image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* pixel = image.at(x, y);
            pixel[0] = std::uint8_t(x * 255 / width);
            pixel[1] = std::uint8_t(y * 255 / height);
            pixel[2] = std::uint8_t(seed * 37);
        }
    }
    return stillcam::encodeJpeg(image, 90);
}

}  // namespace qm::panel::test
