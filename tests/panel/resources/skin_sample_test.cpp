// A look at the skin put together as the windows show it: the photo
// browser with its buttons in their places and a few cells filled, and a
// strip dialog with option and digit buttons. The screenshots are written
// into the test output (build/tests/panel_resources) for people to judge;
// the test asserts only that they were written.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "panel/resources/panel_resources.h"
#include "panel/resources/resource.h"
#include "platform/ui/automation/automation.h"
#include "platform/ui/gdi/gdi.h"
#include "platform/ui/message/message.h"
#include "platform/ui/thread/ui_thread.h"
#include "platform/ui/window/styles.h"
#include "platform/ui/window/window.h"

namespace qm::panel::test {
namespace {

using namespace qm::ui;

struct Placed {
    int bitmap;
    int x, y;
};

// The browser's buttons where it places them, in a mix of looks.
const Placed kBrowser[] = {
    {IDB_SAVE_NORMAL, 488, 18},     {IDB_TRANSFER_FOCUS, 538, 18},  {IDB_SELECT_ALL_NORMAL, 488, 62},
    {IDB_SELECT_NONE_PRESSED, 538, 62}, {IDB_ROTATE_NORMAL, 488, 93}, {IDB_ERASE_NORMAL, 538, 93},
    {IDB_SETTINGS_NORMAL, 488, 137}, {IDB_STATUS_NORMAL, 538, 137}, {IDB_UPLOAD_DISABLED, 488, 168},
    {IDB_TAKE_DISABLED, 538, 168},  {IDB_CONNECT_NORMAL, 488, 212}, {IDB_HELP_NORMAL, 488, 400},
    {IDB_EXIT_NORMAL, 538, 400},    {IDB_PAGE_UP_DISABLED, 448, 38}, {IDB_ROW_UP_DISABLED, 448, 77},
    {IDB_ROW_DOWN_NORMAL, 448, 117}, {IDB_PAGE_DOWN_FOCUS, 448, 156}, {IDB_PROGRESS, 488, 245},
    {IDB_FOCUS_SINK, 1, 1},
};

void drawBitmap(HDC dc, int id, int x, int y)
{
    HBITMAP bitmap = LoadBitmap(panelInstance(), MAKEINTRESOURCE(unsigned(id)));
    if (!bitmap)
        return;
    BITMAP info;
    GetObject(bitmap, sizeof info, &info);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
}

void drawText(HDC dc, const std::string& text, int x, int y, int height, COLORREF colour)
{
    HFONT font = CreateFont(height, height == 12 ? 5 : 6, 0, 0, height == 12 ? 400 : 450, 0, 0, 0, ANSI_CHARSET, 0, 0,
                            0, FF_SWISS, nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    TextOut(dc, x, y, text.c_str(), int(text.size()));
    SelectObject(dc, old);
    DeleteObject(font);
}

// A stand-in thumbnail: a sky, a hill and a sun.
void drawThumbnail(HDC dc, int x, int y, int width, int height)
{
    for (int row = 0; row < height; ++row) {
        HBRUSH sky = CreateSolidBrush(RGB(90 + row, 140 + row, 220));
        RECT line{x, y + row, x + width, y + row + 1};
        FillRect(dc, &line, sky);
        DeleteObject(sky);
    }
    HBRUSH hill = CreateSolidBrush(RGB(70, 130, 60));
    RECT ground{x, y + height * 2 / 3, x + width, y + height};
    FillRect(dc, &ground, hill);
    DeleteObject(hill);
    HBRUSH sun = CreateSolidBrush(RGB(255, 220, 90));
    RECT disc{x + width - 20, y + 8, x + width - 10, y + 18};
    FillRect(dc, &disc, sun);
    DeleteObject(sun);
}

void paintBrowser(HDC dc)
{
    drawBitmap(dc, IDB_BACKGROUND, 0, 0);
    for (const Placed& p : kBrowser)
        drawBitmap(dc, p.bitmap, p.x, p.y);
    // The progress bar at 50 % with its text.
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0xF4, 0x82, 0x3F));
    HGDIOBJ old = SelectObject(dc, pen);
    for (int row : {17, 22}) {
        MoveToEx(dc, 488 + 11, 245 + row, nullptr);
        LineTo(dc, 488 + 11 + 36, 245 + row);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
    drawText(dc, "Picture 7", 488 + 2, 245 + 26, 12, RGB(0, 0, 0));
    // Seven pictures: 2 and 5 selected, 4 upright.
    for (int k = 0; k < 12; ++k) {
        const int x = 40 + (k % 4) * 101, y = 31 + (k / 4) * 112;
        const int number = k + 1;
        const bool shown = number <= 7, selected = number == 2 || number == 5, portrait = number == 4;
        const int frame = portrait ? (selected ? IDB_CELL_PORTRAIT_SELECTED : IDB_CELL_PORTRAIT)
                                   : (selected ? IDB_CELL_SELECTED : IDB_CELL_NORMAL);
        drawBitmap(dc, frame, x, y);
        if (!shown)
            continue;
        drawBitmap(dc, selected ? IDB_INFO_SELECTED : (number == 3 ? IDB_INFO_OPEN : IDB_INFO), x + 14, y + 88);
        char digits[4];
        std::snprintf(digits, sizeof digits, "%03d", number);
        drawText(dc, digits, x + 60, y + 89, 12, RGB(255, 255, 255));
        if (portrait)
            drawThumbnail(dc, x + 18, y + 10, 60, 76);
        else
            drawThumbnail(dc, x + 10, y + 18, 76, 60);
    }
}

void paintSettings(HDC dc)
{
    constexpr int kStrips = 5;
    drawBitmap(dc, IDB_STRIP_TOP, 0, 0);
    for (int i = 1; i <= kStrips; ++i)
        drawBitmap(dc, IDB_STRIP, 0, i * 30);
    drawBitmap(dc, IDB_STRIP_BOTTOM, 0, (kStrips + 1) * 30);
    const char* names[] = {"Flash Mode", "Quality Mode", "Camera Date", "Auto Power Off"};
    for (int k = 0; k < 4; ++k)
        drawText(dc, names[k], 50, 38 + 28 * k, 18, RGB(0, 0, 0));
    struct Option {
        const char* caption;
        bool down;
        COLORREF colour;
    } options[] = {{"Auto", true, RGB(255, 200, 0)}, {"On", false, RGB(0, 0, 0)}, {"Off", false, RGB(128, 128, 128)}};
    for (int row = 0; row < 2; ++row)
        for (int i = 0; i < 3; ++i) {
            const Option& o = options[(i + row) % 3];
            const int x = 200 + 80 * i, y = 38 + 28 * row;
            drawBitmap(dc, o.down ? IDB_OPTION_DOWN : IDB_OPTION_UP, x, y);
            drawText(dc, o.caption, x + 32 - 3 * int(std::strlen(o.caption)), y + 3, 18, o.colour);
        }
    const int date[] = {IDB_DIGIT_2, IDB_DIGIT_0, IDB_DIGIT_2, IDB_DIGIT_4, IDB_DIGIT_0,
                        IDB_DIGIT_7, IDB_DIGIT_1, IDB_DIGIT_9};
    const int dateX[] = {200, 215, 230, 245, 264, 279, 298, 313};
    for (int i = 0; i < 8; ++i)
        drawBitmap(dc, date[i], dateX[i], 38 + 28 * 2);
    drawBitmap(dc, IDB_REPEAT_UP, 330, 38 + 28 * 2);
    drawBitmap(dc, IDB_REPEAT_DOWN, 330, 38 + 28 * 2 + 11);
    drawBitmap(dc, IDB_DIGIT_3, 200, 38 + 28 * 3);
    drawBitmap(dc, IDB_DIGIT_5, 215, 38 + 28 * 3);
    drawBitmap(dc, IDB_OPTION_UP, 200, 38 + 28 * 4 + 14);
    drawText(dc, "OK", 222, 38 + 28 * 4 + 17, 18, RGB(0, 0, 0));
    drawBitmap(dc, IDB_OPTION_DOWN, 300, 38 + 28 * 4 + 14);
    drawText(dc, "Cancel", 308, 38 + 28 * 4 + 17, 18, RGB(0, 0, 0));
}

void (*g_painter)(HDC) = nullptr;

LRESULT samplePaint(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (g_painter)
            g_painter(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

bool screenshotOf(void (*painter)(HDC), int width, int height, const std::string& file)
{
    static const bool registered = [] {
        WNDCLASS wc;
        wc.lpfnWndProc = samplePaint;
        wc.lpszClassName = "QmSkinSample";
        return RegisterClass(&wc) != 0;
    }();
    if (!registered)
        return false;
    g_painter = painter;
    HWND window = CreateWindowEx(0, "QmSkinSample", "Skin sample", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                                 nullptr, 0, nullptr, nullptr);
    if (!window)
        return false;
    UpdateWindow(window);
    automation::pumpPending();
    const bool written = automation::screenshot(window, file);
    DestroyWindow(window);
    automation::pumpPending();
    g_painter = nullptr;
    return written;
}

TEST(SkinSample, ThePhotoBrowserAndASettingsDialogAsPicturesForPeople)
{
    hostPumpsMessages();
    const std::string dir = QM_BUILD_TEST_DIR "/panel_resources";
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(screenshotOf(paintBrowser, 634, 455, dir + "/browser.png"));
    EXPECT_TRUE(screenshotOf(paintSettings, 480, 210, dir + "/settings.png"));
    EXPECT_TRUE(std::filesystem::file_size(dir + "/browser.png") > 1000);
}

}  // namespace
}  // namespace qm::panel::test
