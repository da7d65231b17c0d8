// Device contexts and objects, and DrawText's layout.
#include "platform/ui/resource/resource.h"
#include "tests/platform/ui/resources/test_resource.h"
#include "tests/platform/ui/ui_test_support.h"

namespace qm::ui::test {
namespace {

HINSTANCE self() { return instanceOf(reinterpret_cast<const void*>(&self)); }

class GdiMoreTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        window = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 200, 120});
        automation::pumpPending();
        hdc = GetDC(window);
        RECT all{0, 0, 200, 120};
        FillRect(hdc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SelectObject(hdc, GetStockObject(DEFAULT_GUI_FONT));
    }
    void TearDown() override
    {
        ReleaseDC(window, hdc);
        UiTest::TearDown();
    }
    // Columns and rows that hold any non-white pixel inside a rectangle.
    RECT inked(RECT area)
    {
        RECT box{area.right, area.bottom, area.left, area.top};
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (automation::pixelAt(window, x, y) != RGB(255, 255, 255)) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        return box;
    }
    HWND window = nullptr;
    HDC hdc = nullptr;
};

TEST_F(GdiMoreTest, ABitmapSitsInOneMemoryDcAtATime)
{
    HBITMAP bitmap = LoadBitmap(self(), MAKEINTRESOURCE(IDB_QUAD));
    HDC first = CreateCompatibleDC(hdc);
    HDC second = CreateCompatibleDC(hdc);
    HGDIOBJ old = SelectObject(first, bitmap);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(SelectObject(second, bitmap), nullptr);
    EXPECT_EQ(SelectObject(hdc, bitmap), nullptr);  // a window DC takes none
    EXPECT_FALSE(DeleteObject(bitmap));             // still selected
    SelectObject(first, old);
    EXPECT_TRUE(DeleteObject(bitmap));
    DeleteDC(first);
    DeleteDC(second);
    EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));  // stock objects stay
    EXPECT_NE(GetObject(GetStockObject(DEFAULT_GUI_FONT), 0, nullptr), 0);
}

TEST_F(GdiMoreTest, SavedStatesComeBack)
{
    SetTextColor(hdc, RGB(1, 1, 1));
    SetBkMode(hdc, TRANSPARENT);
    const int saved = SaveDC(hdc);
    SetTextColor(hdc, RGB(2, 2, 2));
    SetBkMode(hdc, OPAQUE);
    EXPECT_TRUE(RestoreDC(hdc, saved));
    EXPECT_EQ(GetTextColor(hdc), RGB(1, 1, 1));
    EXPECT_EQ(GetBkMode(hdc), TRANSPARENT);
    EXPECT_FALSE(RestoreDC(hdc, saved));  // used up
    SaveDC(hdc);
    SetTextColor(hdc, RGB(3, 3, 3));
    EXPECT_TRUE(RestoreDC(hdc, -1));
    EXPECT_EQ(GetTextColor(hdc), RGB(1, 1, 1));
}

TEST_F(GdiMoreTest, DrawTextAlignsWrapsAndUnderlinesMnemonics)
{
    SetBkMode(hdc, TRANSPARENT);
    TEXTMETRIC tm;
    GetTextMetrics(hdc, &tm);
    RECT centred{0, 0, 200, 40};
    DrawText(hdc, "OK", 2, &centred, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    RECT box = inked({0, 0, 200, 40});
    EXPECT_NEAR((box.left + box.right) / 2, 100, 3);
    EXPECT_NEAR((box.top + box.bottom) / 2, 20, 4);
    // Word wrap puts the words on separate lines within the width.
    RECT narrow{0, 40, 40, 120};
    const int height = DrawText(hdc, "Save Photos now", -1, &narrow, DT_WORDBREAK | DT_NOPREFIX);
    EXPECT_GE(height, 2 * tm.tmHeight);
    RECT wrapped = inked({0, 40, 200, 120});
    EXPECT_LE(wrapped.right, 40);
    RECT measure{0, 0, 40, 0};
    DrawText(hdc, "Save Photos now", -1, &measure, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(measure.bottom, height);
    // "&&" is an ampersand; "&S" underlines S (a line under the glyph).
    RECT plain{0, 0, 0, 0}, prefixed{0, 0, 0, 0};
    DrawText(hdc, "a&&b", -1, &plain, DT_CALCRECT | DT_SINGLELINE);
    DrawText(hdc, "a&b", -1, &prefixed, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(plain.right, prefixed.right);
    RECT area{100, 60, 200, 120};
    FillRect(hdc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawText(hdc, "&_", -1, &area, DT_SINGLELINE);
    RECT underline = inked(area);
    EXPECT_GT(underline.bottom, 60 + tm.tmAscent);  // reaches below the baseline
}

TEST_F(GdiMoreTest, TextAlignmentMovesTheReferencePoint)
{
    SIZE extent;
    GetTextExtentPoint32(hdc, "Hint", 4, &extent);
    SetBkMode(hdc, OPAQUE);
    SetBkColor(hdc, RGB(255, 255, 192));
    SetTextAlign(hdc, TA_RIGHT);
    TextOut(hdc, 150, 10, "Hint", 4);
    EXPECT_EQ(automation::pixelAt(window, 150 - extent.cx, 10), RGB(255, 255, 192));
    EXPECT_EQ(automation::pixelAt(window, 150, 10), RGB(255, 255, 255));
    SetTextAlign(hdc, TA_LEFT | TA_TOP);
    EXPECT_FALSE(TextOut(hdc, 0, 0, nullptr, 3));
    EXPECT_TRUE(TextOut(hdc, 0, 0, "", 0));
}

TEST_F(GdiMoreTest, RectanglesFramesAndPatterns)
{
    HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
    HGDIOBJ oldBrush = SelectObject(hdc, brush);
    Rectangle(hdc, 10, 10, 20, 20);
    EXPECT_EQ(automation::pixelAt(window, 10, 10), RGB(0, 0, 0));  // the black pen's frame
    EXPECT_EQ(automation::pixelAt(window, 19, 19), RGB(0, 0, 0));
    EXPECT_EQ(automation::pixelAt(window, 15, 15), RGB(10, 20, 30));
    EXPECT_EQ(automation::pixelAt(window, 20, 20), RGB(255, 255, 255));
    PatBlt(hdc, 30, 10, 5, 5, PATCOPY);
    EXPECT_EQ(automation::pixelAt(window, 34, 14), RGB(10, 20, 30));
    PatBlt(hdc, 30, 10, 5, 5, BLACKNESS);
    EXPECT_EQ(automation::pixelAt(window, 30, 10), RGB(0, 0, 0));
    RECT frame{50, 10, 60, 20};
    FrameRect(hdc, &frame, brush);
    EXPECT_EQ(automation::pixelAt(window, 55, 10), RGB(10, 20, 30));
    EXPECT_EQ(automation::pixelAt(window, 55, 15), RGB(255, 255, 255));
    SelectObject(hdc, oldBrush);
    DeleteObject(brush);
}

}  // namespace
}  // namespace qm::ui::test
