#include "tests/panel/operations/operations_fixture.h"

#include "platform/system/byte_order.h"

namespace qm::panel::test {
namespace {

constexpr int kCameraButtons[] = {IDC_SAVE_TO_DISK, IDC_TRANSFER, IDC_SELECT_ALL, IDC_SELECT_NONE, IDC_ROTATE,
                                  IDC_ERASE, IDC_CAMERA_STATUS, IDC_UPLOAD, IDC_TAKE_PICTURE};

// Request bytes: start, length (2), command code, parameters, checksum.
constexpr std::size_t kFirstParameter = 4;

stillcam::StillCameraConfig configFor(unsigned pictures,
                                      const std::function<void(stillcam::StillCameraConfig&)>& adjust)
{
    stillcam::StillCameraConfig config;
    config.pictureCount = pictures;
    if (adjust)
        adjust(config);
    return config;
}

}  // namespace

OperationsTest::~OperationsTest()
{
    if (listening_)
        camera().setCommandListener({});
}

void OperationsTest::startWith(unsigned pictures, const std::function<void(stillcam::StillCameraConfig&)>& adjust)
{
    start(configFor(pictures, adjust));
}

void OperationsTest::prepareWith(unsigned pictures, const std::function<void(stillcam::StillCameraConfig&)>& adjust)
{
    start(configFor(pictures, adjust), Attachment::Usb, false);
}

void OperationsTest::connectNow()
{
    browser().ShowWindow(ui::SW_SHOW);
    browser().ConnectAndLoad();
    pump();
}

void OperationsTest::select(std::initializer_list<int> numbers)
{
    bool first = true;
    for (int number : numbers) {
        clickCell(number - browser().firstVisible(), {.control = !first});
        first = false;
    }
}

std::size_t OperationsTest::heard(std::uint8_t command)
{
    std::size_t count = 0;
    for (const stillcam::CommandRecord& record : camera().commandLog())
        count += record.code == command ? 1 : 0;
    return count;
}

std::vector<unsigned> OperationsTest::erasedNumbers()
{
    std::vector<unsigned> numbers;
    for (const stillcam::CommandRecord& record : camera().commandLog()) {
        if (record.code == stillcam::CMD_ERASE && record.request.size() >= kFirstParameter + 2)
            numbers.push_back(sys::readLe16(&record.request[kFirstParameter]));
    }
    return numbers;
}

std::vector<std::uint32_t> OperationsTest::cameraKeys()
{
    std::vector<std::uint32_t> keys;
    for (const stillcam::PictureSummary& picture : camera().pictures())
        keys.push_back(picture.key);
    return keys;
}

void OperationsTest::watchProgressAt(std::uint8_t command)
{
    listening_ = true;
    camera().setCommandListener([this, command](const stillcam::CommandRecord& record, std::string_view) {
        if (record.code != command)
            return;
        const std::optional<std::string>& text = browser().progressBar().text();
        std::lock_guard lock(mutex_);
        progressTexts_.push_back(browser().progressBar().visible() ? text.value_or("") : "(hidden)");
    });
}

std::vector<std::string> OperationsTest::progressTexts() const
{
    std::lock_guard lock(mutex_);
    return progressTexts_;
}

void OperationsTest::answerWithScreenshot(int button, const std::string& name, std::function<void()> then)
{
    // Another dialog (the Open dialog, say) may go idle first: the action
    // waits for the box's own loop.
    automation::whenIdle([this, button, name, then = std::move(then)]() mutable {
        const ui::HWND box = automation::findWindow("Corvel Camera");
        if (box == nullptr) {
            answerWithScreenshot(button, name, std::move(then));
            return;
        }
        const std::string directory = qm::test::builtTestFile("artifacts/panel");
        automation::screenshot(box, directory + "/" + name + ".png");
        screenshot(name + "-browser");
        EXPECT_TRUE(automation::click(automation::findControl(box, button))) << name;
        if (then)
            then();
    });
}

bool OperationsTest::cellsShowTheirPictures()
{
    pump();
    const std::vector<int> numbers = cellNumbers();
    for (int index = 0; index < kCellCount; ++index) {
        if (numbers[std::size_t(index)] == 0)
            continue;
        const PictureItem& picture = panelState().pictures.find(numbers[std::size_t(index)]);
        if (!picture.drawable())
            return false;
        // An 80 x 60 thumbnail sits 8 pixels below the top of the cell's
        // 76 x 76 box at (10, 10).
        const int boxX = 40 + (index % kCellsPerRow) * 101 + 10;
        const int boxY = 31 + (index / kCellsPerRow) * 112 + 10 + 8;
        for (auto [x, y] : {std::pair{5, 5}, std::pair{40, 30}, std::pair{70, 55}, std::pair{20, 45}}) {
            const std::size_t row = std::size_t(picture.height - 1 - y);
            const std::uint8_t* p = picture.image.data() + kDibHeaderSize + row * dibStride(picture.width) +
                                    std::size_t(x) * 3;
            if (automation::pixelAt(window(), boxX + x, boxY + y) != ui::RGB(p[2], p[1], p[0]))
                return false;
        }
    }
    return true;
}

bool OperationsTest::showsConnected()
{
    for (int id : kCameraButtons) {
        if (!enabled(id))
            return false;
    }
    return enabled(IDC_CONNECT) && browser().polling();
}

bool OperationsTest::showsDisconnected()
{
    for (int id : kCameraButtons) {
        if (enabled(id))
            return false;
    }
    return enabled(IDC_CONNECT) && enabled(IDC_EXIT) && !browser().polling();
}

void OperationsTest::queueClick(int id)
{
    ASSERT_TRUE(automation::click(control(id))) << "control " << id;
}

}  // namespace qm::panel::test
