// A panel module for tests: answers PanelEntry as the real panel does, with
// the camera replaced by pictures of known content (test_picture.h) and the
// user replaced by TestPanelPress. Pictures are delivered in the device
// module's layout: a 40-byte header, then bottom-up blue-green-red rows padded
// to a multiple of 4 bytes, turned by the rotation code found in the first
// byte of the buffer.
#include <cstring>
#include <string>
#include <tuple>

#include "datasource/acquire_entry.h"
#include "panel/entry/panel_entry.h"
#include "platform/system/byte_order.h"
#include "platform/system/library.h"
#include "platform/ui/controls/control_styles.h"
#include "platform/ui/dialogs/dialog.h"
#include "platform/ui/input/input.h"
#include "platform/ui/message/messages.h"
#include "platform/ui/window/styles.h"
#include "platform/ui/window/window.h"
#include "tests/datasource/test_panel/test_panel_config.h"
#include "tests/datasource/test_panel/test_panel_control.h"
#include "tests/datasource/test_panel/test_picture.h"

namespace {

using namespace qm;
using namespace qm::test;

// The pictures chosen for transfer, walked as the real panel walks them.
struct TransferCursor {
    int current = 0;
    int processed = 0;
    int total = 0;
    bool done = false;

    int advance(const TestPanelConfig& config)
    {
        ++processed;
        for (int n = current + 1; n <= int(config.pictures.size()); ++n) {
            if (config.pictures[std::size_t(n - 1)].selected) {
                current = n;
                return n;
            }
        }
        done = true;
        return 0;
    }

    int reset(const TestPanelConfig& config)
    {
        *this = TransferCursor{};
        for (const TestPicture& picture : config.pictures)
            total += picture.selected ? 1 : 0;
        return advance(config);
    }

    std::uint32_t remaining(const TestPanelConfig& config) const
    {
        if (done || current == 0)
            return 0;
        std::uint32_t count = 0;
        for (int n = current; n <= int(config.pictures.size()); ++n)
            count += config.pictures[std::size_t(n - 1)].selected ? 1 : 0;
        return count;
    }
};

// The panel's modeless dialog: two buttons the keyboard can move between,
// so the source's event processing has a real dialog to offer messages to.
inline constexpr int kTransferButton = 1001;
inline constexpr int kQuitButton = 1002;

std::uint32_t press(std::uint32_t button);

// The buttons do what the test's TestPanelPress does.
ui::LONG_PTR panelDialogProc(ui::HWND, ui::UINT message, ui::WPARAM wParam, ui::LPARAM)
{
    if (message != ui::WM_COMMAND)
        return 0;
    if (ui::LOWORD(wParam) == kTransferButton)
        press(kPressTransfer);
    else if (ui::LOWORD(wParam) == kQuitButton)
        press(kPressQuit);
    return 1;
}

ui::HWND createPanelWindow(panel::PanelWindowHandle parent)
{
    ui::DialogTemplate tmpl;
    tmpl.style = ui::WS_POPUP | ui::WS_CAPTION;
    tmpl.cx = 160;
    tmpl.cy = 60;
    tmpl.caption = "Test panel";
    for (auto [id, text, x] : {std::tuple{kTransferButton, "&Transfer", 10}, std::tuple{kQuitButton, "&Quit", 90}})
        tmpl.items.push_back({ui::WS_CHILD | ui::WS_VISIBLE | ui::WS_TABSTOP | ui::BS_PUSHBUTTON, 0, short(x), 20, 60,
                              14, id, "Button", text});
    auto owner = static_cast<ui::HWND>(parent);
    return ui::CreateDialogIndirectParam(nullptr, tmpl, ui::IsWindow(owner) ? owner : nullptr, panelDialogProc, 0);
}

struct Panel {
    bool created = false;
    bool shown = false;
    ui::HWND window = nullptr;
    bool deviceBound = false;
    sys::HMODULE dataSource = nullptr;
    ds::AcquireEntryProc acquireEntry = nullptr;
    TransferCursor cursor;
    std::uint8_t nextRotation = 0;
    TestPanelStats stats{};

    ~Panel() { unbind(); }

    void unbind()
    {
        if (dataSource != nullptr)
            sys::FreeLibrary(dataSource);
        dataSource = nullptr;
        acquireEntry = nullptr;
        deviceBound = false;
    }
};

Panel state;

bool anySelected(const TestPanelConfig& config)
{
    for (const TestPicture& picture : config.pictures) {
        if (picture.selected)
            return true;
    }
    return false;
}

void copyPath(char (&target)[512], std::uintptr_t argument)
{
    const auto* path = reinterpret_cast<const panel::PanelPathArgument*>(argument);
    std::memset(target, 0, sizeof target);
    if (path != nullptr && path->text != nullptr)
        std::strncpy(target, path->text, sizeof target - 1);
}

std::uint32_t bind(std::uintptr_t dataSourceArgument, std::uintptr_t deviceArgument, const TestPanelConfig& config)
{
    ++state.stats.binds;
    copyPath(state.stats.dataSourcePath, dataSourceArgument);
    copyPath(state.stats.devicePath, deviceArgument);
    state.unbind();
    // The device module is bound first; an empty path fails before the data
    // source is tried.
    if (state.stats.devicePath[0] == '\0' || config.failBind)
        return 0;
    state.deviceBound = true;
    sys::HMODULE module = sys::LoadLibrary(state.stats.dataSourcePath);
    if (!sys::isValidModuleHandle(module))
        return 0;
    auto entry = sys::getProc<ds::AcquireEntryProc>(module, ds::kAcquireEntryName);
    if (entry == nullptr) {
        sys::FreeLibrary(module);
        return 0;
    }
    state.dataSource = module;
    state.acquireEntry = entry;
    return 1;
}

// The size the next picture will be delivered at; the model's largest size
// when the cursor stands on no picture, as the device module answers then.
std::uint32_t imageSize(std::int32_t* width, std::int32_t* height, const TestPanelConfig& config)
{
    ++state.stats.sizeQueries;
    if (!state.deviceBound || !anySelected(config) || width == nullptr || height == nullptr)
        return 0;
    const int number = state.cursor.current;
    if (TestPanelConfig::matches(config.failImageSize, number))
        return 0;
    TestPicture size;
    if (number >= 1 && number <= int(config.pictures.size())) {
        size = config.pictures[std::size_t(number - 1)];
    } else {
        size = TestPicture{0, 0, 0, false};
        for (const TestPicture& picture : config.pictures) {
            if (picture.width * picture.height > size.width * size.height)
                size = TestPicture{picture.width, picture.height, 0, false};
        }
    }
    state.nextRotation = std::uint8_t(size.rotation);
    const bool turned = size.rotation == 1 || size.rotation == 3;
    *width = turned ? size.height : size.width;
    *height = turned ? size.width : size.height;
    return 1;
}

void renderPicture(std::uint8_t* buffer, int number, const TestPicture& picture, int rotation, bool badHeader)
{
    const bool turned = rotation == 1 || rotation == 3;
    const int width = turned ? picture.height : picture.width;
    const int height = turned ? picture.width : picture.height;
    const std::size_t stride = (std::size_t(width) * 3 + 3) & ~std::size_t(3);

    std::memset(buffer, 0, 40);
    sys::writeLe32(buffer + 0, 40);
    sys::writeLe32(buffer + 4, std::uint32_t(badHeader ? width + 1 : width));
    sys::writeLe32(buffer + 8, std::uint32_t(height));
    sys::writeLe16(buffer + 12, 1);
    sys::writeLe16(buffer + 14, 24);
    sys::writeLe32(buffer + 20, std::uint32_t(stride * std::size_t(height)));
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = buffer + 40 + std::size_t(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const Rgb pixel = deliveredPixel(number, picture.width, picture.height, rotation, x, y);
            row[3 * x + 0] = pixel.blue;
            row[3 * x + 1] = pixel.green;
            row[3 * x + 2] = pixel.red;
        }
        std::memset(row + 3 * std::size_t(width), 0, stride - 3 * std::size_t(width));
    }
}

std::uint32_t getImage(std::uint8_t* buffer, const TestPanelConfig& config)
{
    ++state.stats.pictures;
    if (!state.deviceBound || buffer == nullptr)
        return 0;
    const int number = state.cursor.current;
    buffer[0] = state.nextRotation;  // what the device module reads to turn the picture
    bool delivered = false;
    if (number >= 1 && number <= int(config.pictures.size()) && !TestPanelConfig::matches(config.failGetImage, number)) {
        const TestPicture& picture = config.pictures[std::size_t(number - 1)];
        renderPicture(buffer, number, picture, buffer[0] & 3, TestPanelConfig::matches(config.badHeader, number));
        delivered = true;
    }
    state.cursor.advance(config);  // a failed download still moves on
    return delivered ? 1 : 0;
}

std::uint32_t press(std::uint32_t button)
{
    const TestPanelConfig config = loadTestPanelConfig();
    switch (button) {
    case kPressSelect:
    case kPressTransfer:
        if (!anySelected(config))
            return 0;
        state.cursor.reset(config);
        if (button == kPressSelect)
            return 1;
        return state.acquireEntry != nullptr ? state.acquireEntry(ds::ACQUIRE_XFERREADY, 0, 0, 0) : 0;
    case kPressQuit:
        state.shown = false;
        return state.acquireEntry != nullptr ? state.acquireEntry(ds::ACQUIRE_CLOSEDSREQ, 0, 0, 0) : 0;
    default:
        return 0;
    }
}

}  // namespace

QM_EXPORT std::uint32_t PanelEntry(std::uint32_t command, std::uintptr_t first, std::uintptr_t second,
                                   std::uintptr_t /*third*/)
{
    const TestPanelConfig config = loadTestPanelConfig();
    switch (command) {
    case panel::CMUI_CREATE: {
        ++state.stats.creates;
        if (config.failCreate)
            return 0;
        const auto* parent = reinterpret_cast<const panel::PanelWindowHandle*>(first);
        state.stats.parent = parent != nullptr ? *parent : nullptr;
        state.window = createPanelWindow(state.stats.parent);
        if (state.window == nullptr)
            return 0;
        if (auto* window = reinterpret_cast<panel::PanelWindowHandle*>(second))
            *window = state.window;
        state.created = true;
        return 1;
    }
    case panel::CMUI_SHOW: {
        const auto* show = reinterpret_cast<const std::uint32_t*>(first);
        state.shown = show != nullptr && *show != 0;
        ++(state.shown ? state.stats.shows : state.stats.hides);
        if (state.window != nullptr) {
            ui::ShowWindow(state.window, state.shown ? ui::SW_SHOW : ui::SW_HIDE);
            if (state.shown)
                ui::SetFocus(ui::GetDlgItem(state.window, kTransferButton));
        }
        // The user acts while the panel connects.
        if (state.shown && config.transferOnShow)
            press(kPressTransfer);
        else if (state.shown && config.quitOnShow)
            press(kPressQuit);
        return 1;
    }
    case panel::CMUI_CLOSE:
    case panel::CMUI_RELEASE:
        ++state.stats.closes;
        if (state.window != nullptr)
            ui::DestroyWindow(state.window);
        state.window = nullptr;
        state.created = false;
        state.shown = false;
        return 1;
    case panel::CMUI_BIND:
        return bind(first, second, config);
    case panel::CMUI_IMAGE_SIZE:
        return imageSize(reinterpret_cast<std::int32_t*>(first), reinterpret_cast<std::int32_t*>(second), config);
    case panel::CMUI_GET_IMAGE:
        return getImage(reinterpret_cast<std::uint8_t*>(first), config);
    case panel::CMUI_XFER_COUNT: {
        ++state.stats.countQueries;
        auto* count = reinterpret_cast<std::uint32_t*>(first);
        if (count == nullptr)
            return 0;
        *count = state.cursor.remaining(config);
        return 1;
    }
    default:
        return 1;
    }
}

QM_EXPORT std::uint32_t TestPanelPress(std::uint32_t button)
{
    return press(button);
}

QM_EXPORT void TestPanelReadStats(qm::test::TestPanelStats* stats)
{
    if (stats != nullptr) {
        *stats = state.stats;
        stats->current = std::uint32_t(state.cursor.current);
    }
}
