#include "tests/panel/controls/controls_test_support.h"

#include <filesystem>

#include "panel/controls/panel_bitmaps.h"
#include "panel/resources/resource.h"
#include "platform/ui/thread/ui_thread.h"
#include "tests/support/windows_dir.h"

namespace qm::panel::test {

namespace {

constexpr const char* kHostClass = "ControlsTestHost";

}  // namespace

bool HostWindow::create(const ui::CRect& place)
{
    ui::WNDCLASS wc;
    wc.style = ui::CS_DBLCLKS;
    wc.lpfnWndProc = ui::DefWindowProc;
    wc.hCursor = ui::LoadCursor(nullptr, ui::IDC_ARROW);
    wc.lpszClassName = kHostClass;
    ui::RegisterClass(&wc);  // fails harmlessly when already registered
    return CreateEx(0, kHostClass, "host", ui::WS_POPUP | ui::WS_VISIBLE, place, nullptr, 0) != 0;
}

ui::HWND HostWindow::addButton(int id, const ui::CRect& place)
{
    return ui::CreateWindowEx(0, "Button", "", ui::WS_CHILD | ui::WS_VISIBLE | ui::BS_OWNERDRAW, place.left, place.top,
                              place.Width(), place.Height(), m_hWnd, id, nullptr, nullptr);
}

void HostWindow::OnPaint()
{
    ui::CPaintDC dc(this);
    drawPanelBitmap(dc, IDB_BACKGROUND, 0, 0);
}

ui::BOOL HostWindow::OnEraseBkgnd(ui::CDC*) { return ui::TRUE; }

ui::BOOL HostWindow::OnCommand(ui::WPARAM wParam, ui::LPARAM lParam)
{
    if (ui::HIWORD(wParam) == ui::BN_CLICKED)
        clickedIds.push_back(ui::LOWORD(wParam));
    return CWnd::OnCommand(wParam, lParam);
}

void HostWindow::OnTimer(ui::UINT_PTR id)
{
    if (onTimer)
        onTimer(id);
}

void ControlsTest::SetUp()
{
    ui::hostPumpsMessages();
    ui::automation::useVirtualSystemClock(true);
    ui::automation::pumpPending();
    PanelState& state = panelState();
    state.resetLists();
    state.modelCode = 0;
    state.camera = CameraState{};
    state.browser = &browser;
}

void ControlsTest::TearDown()
{
    panelState().browser = nullptr;
    panelState().resetLists();
    if (ui::GetCapture())
        ui::ReleaseCapture();
    while (ui::HWND top = ui::GetTopWindow(nullptr))
        if (!ui::DestroyWindow(top))
            break;
    ui::automation::pumpPending();
    ui::automation::useVirtualSystemClock(false);
}

ui::COLORREF bitmapPixel(ui::UINT id, int x, int y)
{
    const ui::CBitmap* bitmap = panelBitmap(id);
    if (!bitmap)
        return ui::COLORREF(-1);
    ui::HDC memory = ui::CreateCompatibleDC(nullptr);
    ui::HGDIOBJ old = ui::SelectObject(memory, bitmap->m_hObject);
    const ui::COLORREF colour = ui::GetPixel(memory, x, y);
    ui::SelectObject(memory, old);
    ui::DeleteDC(memory);
    return colour;
}

bool showsBitmap(ui::HWND window, int x, int y, int width, int height, ui::UINT id, int sourceX, int sourceY)
{
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            if (ui::automation::pixelAt(window, x + column, y + row) !=
                bitmapPixel(id, sourceX + column, sourceY + row))
                return false;
    return true;
}

ui::POINT pointWhereBitmapsDiffer(ui::UINT a, ui::UINT b, const ui::CRect& area, const ui::CRect& covered)
{
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (!covered.PtInRect({x, y}) && bitmapPixel(a, x, y) != bitmapPixel(b, x, y))
                return {x, y};
    ADD_FAILURE() << "bitmaps " << a << " and " << b << " look the same";
    return {-1, -1};
}

void saveScreenshot(ui::HWND window, const std::string& name)
{
    // With the other panel screenshots, wherever the test runs from.
    const std::string directory = qm::test::builtTestFile("artifacts/panel/controls");
    std::filesystem::create_directories(directory);
    EXPECT_TRUE(ui::automation::screenshot(window, directory + "/" + name)) << name;
}

}  // namespace qm::panel::test
