// Drawing, checked pixel by pixel on headless surfaces.
#include <png.h>

#include "tests/platform/ui/resources/test_resource.h"
#include "tests/platform/ui/ui_test_support.h"
#include "tests/support/temp_dir.h"
#include "platform/ui/resource/resource.h"

namespace qm::ui::test {
namespace {

HINSTANCE self() { return instanceOf(reinterpret_cast<const void*>(&self)); }

class GdiTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        window = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 120, 80});
        automation::pumpPending();
        hdc = GetDC(window);
        RECT all{0, 0, 120, 80};
        FillRect(hdc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    void TearDown() override
    {
        ReleaseDC(window, hdc);
        UiTest::TearDown();
    }
    COLORREF at(int x, int y) { return automation::pixelAt(window, x, y); }

    HWND window = nullptr;
    HDC hdc = nullptr;
};

TEST_F(GdiTest, ResourceBitmapIsBlittedAtItsExactPosition)
{
    HBITMAP quad = LoadBitmap(self(), MAKEINTRESOURCE(IDB_QUAD));
    ASSERT_NE(quad, nullptr);
    BITMAP bm;
    ASSERT_EQ(GetObject(quad, sizeof bm, &bm), int(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 4);
    EXPECT_EQ(bm.bmHeight, 3);
    HDC memory = CreateCompatibleDC(hdc);
    HGDIOBJ old = SelectObject(memory, quad);
    BitBlt(hdc, 10, 20, 4, 3, memory, 0, 0, SRCCOPY);
    EXPECT_EQ(at(10, 20), RGB(255, 0, 0));   // the file's top-left pixel
    EXPECT_EQ(at(13, 20), RGB(0, 255, 0));
    EXPECT_EQ(at(10, 22), RGB(0, 0, 255));
    EXPECT_EQ(at(13, 22), RGB(255, 255, 0));
    EXPECT_EQ(at(9, 20), RGB(255, 255, 255));  // nothing outside
    EXPECT_EQ(at(14, 22), RGB(255, 255, 255));
    EXPECT_EQ(at(10, 23), RGB(255, 255, 255));
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(quad);
}

TEST_F(GdiTest, StretchBltRepeatsWholePixels)
{
    HBITMAP quad = LoadBitmap(self(), MAKEINTRESOURCE(IDB_QUAD));
    HDC memory = CreateCompatibleDC(hdc);
    SelectObject(memory, quad);
    SetStretchBltMode(hdc, COLORONCOLOR);
    EXPECT_EQ(GetStretchBltMode(hdc), COLORONCOLOR);
    StretchBlt(hdc, 0, 0, 8, 6, memory, 0, 0, 4, 3, SRCCOPY);
    EXPECT_EQ(at(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(at(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(at(7, 0), RGB(0, 255, 0));
    EXPECT_EQ(at(6, 5), RGB(255, 255, 0));
    DeleteDC(memory);
    DeleteObject(quad);
}

TEST_F(GdiTest, PaletteBitmapsBecomeTrueColour)
{
    HBITMAP pal = LoadBitmap(self(), MAKEINTRESOURCE(IDB_PALETTE));
    ASSERT_NE(pal, nullptr);
    HDC memory = CreateCompatibleDC(hdc);
    SelectObject(memory, pal);
    EXPECT_EQ(GetPixel(memory, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(memory, 1, 0), RGB(200, 100, 50));
    EXPECT_EQ(GetPixel(memory, 1, 1), RGB(1, 2, 3));
    DeleteDC(memory);
    DeleteObject(pal);
}

TEST_F(GdiTest, OnePixelLineHasThePenColourAndLeavesTheEndPoint)
{
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0xF4, 0x82, 0x3F));
    HGDIOBJ old = SelectObject(hdc, pen);
    MoveToEx(hdc, 11, 17, nullptr);
    LineTo(hdc, 47, 17);
    for (int x = 11; x < 47; ++x)
        ASSERT_EQ(at(x, 17), RGB(0xF4, 0x82, 0x3F)) << x;
    EXPECT_EQ(at(47, 17), RGB(255, 255, 255));
    EXPECT_EQ(at(30, 16), RGB(255, 255, 255));
    EXPECT_EQ(at(30, 18), RGB(255, 255, 255));
    MoveToEx(hdc, 10, 17, nullptr);
    LineTo(hdc, 10, 23);  // vertical
    EXPECT_EQ(at(10, 22), RGB(0xF4, 0x82, 0x3F));
    EXPECT_EQ(at(10, 23), RGB(255, 255, 255));
    SelectObject(hdc, old);
    DeleteObject(pen);
}

TEST_F(GdiTest, TransparentTextKeepsTheBitmapAroundTheGlyphs)
{
    HBITMAP quad = LoadBitmap(self(), MAKEINTRESOURCE(IDB_PALETTE));
    HDC memory = CreateCompatibleDC(hdc);
    SelectObject(memory, quad);
    StretchBlt(hdc, 0, 0, 120, 80, memory, 1, 0, 1, 1, SRCCOPY);  // fill with RGB(200, 100, 50)
    DeleteDC(memory);
    DeleteObject(quad);
    HFONT font = CreateFont(18, 6, 0, 0, 450, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FF_SWISS, nullptr);
    SelectObject(hdc, font);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, RGB(255, 255, 255));
    SIZE extent;
    GetTextExtentPoint32(hdc, "HHH", 3, &extent);
    TextOut(hdc, 10, 10, "HHH", 3);
    int text = 0, background = 0, other = 0;
    for (int y = 10; y < 10 + extent.cy; ++y)
        for (int x = 10; x < 10 + extent.cx; ++x) {
            const COLORREF c = at(x, y);
            if (c == RGB(255, 255, 255))
                ++text;
            else if (c == RGB(200, 100, 50))
                ++background;
            else
                ++other;  // anti-aliased edges
        }
    EXPECT_GT(text, 5);             // stems of the H are solid
    EXPECT_GT(text + other, 20);    // with anti-aliased edges
    EXPECT_GT(background, text + other);  // the rest shows the bitmap
    EXPECT_EQ(at(10 + extent.cx + 2, 12), RGB(200, 100, 50));
    // An opaque background fills the whole extent.
    SetBkMode(hdc, OPAQUE);
    SetBkColor(hdc, RGB(255, 255, 192));
    SetTextColor(hdc, RGB(0, 0, 0));
    TextOut(hdc, 10, 40, "HHH", 3);
    EXPECT_EQ(at(10, 40), RGB(255, 255, 192));
    EXPECT_EQ(at(10 + extent.cx - 1, 40 + extent.cy - 1), RGB(255, 255, 192));
    DeleteObject(font);
}

TEST_F(GdiTest, FontsAreSizedByCellHeightAndAverageWidth)
{
    HFONT font = CreateFont(18, 6, 0, 0, 450, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FF_SWISS, nullptr);
    HFONT wide = CreateFont(18, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FF_SWISS, nullptr);
    SelectObject(hdc, font);
    TEXTMETRIC tm;
    GetTextMetrics(hdc, &tm);
    EXPECT_NEAR(tm.tmHeight, 18, 1);
    EXPECT_EQ(tm.tmAveCharWidth, 6);
    SIZE narrow;
    GetTextExtentPoint32(hdc, "abcdefghij", 10, &narrow);
    SelectObject(hdc, wide);
    SIZE bold;
    GetTextExtentPoint32(hdc, "abcdefghij", 10, &bold);
    EXPECT_LT(narrow.cx, bold.cx);
    EXPECT_NEAR(narrow.cx, 60, 15);
    RECT calc{0, 0, 0, 0};
    EXPECT_EQ(DrawText(hdc, "one\ntwo", -1, &calc, DT_CALCRECT), 2 * tm.tmHeight + (bold.cy - tm.tmHeight) * 2);
    DeleteObject(font);
    DeleteObject(wide);
}

TEST_F(GdiTest, DibsAreDrawnBottomUpAndShortBuffersAreRefused)
{
    // 2 x 2, bottom row first: bottom row red, red; top row blue, green.
    const std::uint8_t bits[16] = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0};
    BITMAPINFO info{};
    info.bmiHeader.biWidth = 2;
    info.bmiHeader.biHeight = 2;
    EXPECT_EQ(StretchDIBits(hdc, 50, 50, 2, 2, 0, 0, 2, 2, bits, sizeof bits, &info, DIB_RGB_COLORS, SRCCOPY), 2);
    EXPECT_EQ(at(50, 50), RGB(0, 0, 255));
    EXPECT_EQ(at(51, 50), RGB(0, 255, 0));
    EXPECT_EQ(at(50, 51), RGB(255, 0, 0));
    EXPECT_EQ(StretchDIBits(hdc, 60, 60, 2, 2, 0, 0, 2, 2, bits, 15, &info, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(at(60, 60), RGB(255, 255, 255));
    info.bmiHeader.biWidth = 1 << 20;  // absurd headers draw nothing
    EXPECT_EQ(StretchDIBits(hdc, 60, 60, 2, 2, 0, 0, 2, 2, bits, sizeof bits, &info, DIB_RGB_COLORS, SRCCOPY), 0);
}

TEST_F(GdiTest, ChildDrawingIsClippedToTheChild)
{
    HWND child = Recorder::create(WS_CHILD | WS_VISIBLE, {20, 20, 40, 40}, window, 1);
    HDC cdc = GetDC(child);
    RECT huge{-100, -100, 500, 500};
    FillRect(cdc, &huge, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(child, cdc);
    EXPECT_EQ(at(20, 20), RGB(0, 0, 0));
    EXPECT_EQ(at(39, 39), RGB(0, 0, 0));
    EXPECT_EQ(at(19, 20), RGB(255, 255, 255));
    EXPECT_EQ(at(40, 39), RGB(255, 255, 255));
}

TEST_F(GdiTest, ScreenshotWritesTheWindowAsPng)
{
    RECT r{5, 5, 15, 15};
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    FillRect(hdc, &r, brush);
    DeleteObject(brush);
    qm::test::TempDir dir;
    const std::string file = dir.file("shot.png");
    ASSERT_TRUE(automation::screenshot(window, file));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, file.c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    EXPECT_EQ(image.width, 120u);
    EXPECT_EQ(image.height, 80u);
    const std::size_t i = (7 * 120 + 7) * 3;
    EXPECT_EQ(rgb[i], 1);
    EXPECT_EQ(rgb[i + 1], 2);
    EXPECT_EQ(rgb[i + 2], 3);
    EXPECT_EQ(rgb[0], 255);
}

}  // namespace
}  // namespace qm::ui::test
