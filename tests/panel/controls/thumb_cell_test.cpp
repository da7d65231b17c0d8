// The thumbnail cell: where the picture lands and which part of it shows,
// the frames, the number, the information icon, clicks, and pictures whose
// header does not fit their buffer.
#include "panel/controls/cell_drawing.h"
#include "panel/controls/thumb_cell.h"
#include "panel/resources/resource.h"
#include "platform/system/byte_order.h"
#include "tests/panel/controls/controls_test_support.h"

namespace qm::panel::test {
namespace {

namespace automation = ui::automation;
using automation::pixelAt;

constexpr int kNumber = 7;

// The colour of pixel (x, y), counted from the picture's top-left corner:
// every pixel of a test picture tells where it came from.
ui::COLORREF sourceColour(int x, int y) { return ui::RGB(x * 3, y * 3, 0x80); }

// Writes the picture's header and pixels as the device module does: rows
// bottom first, each padded to 4 bytes.
void fillPicture(PictureItem& picture, int width, int height)
{
    picture.width = width;
    picture.height = height;
    ASSERT_TRUE(picture.allocate());
    std::uint8_t* header = picture.image.data();
    sys::writeLe32(header, 40);
    sys::writeLe32(header + 4, std::uint32_t(width));
    sys::writeLe32(header + 8, std::uint32_t(height));
    sys::writeLe16(header + 12, 1);
    sys::writeLe16(header + 14, 24);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = header + kDibHeaderSize + std::size_t(height - 1 - y) * dibStride(width);
        for (int x = 0; x < width; ++x) {
            const ui::COLORREF c = sourceColour(x, y);
            row[x * 3] = ui::GetBValue(c);
            row[x * 3 + 1] = ui::GetGValue(c);
            row[x * 3 + 2] = ui::GetRValue(c);
        }
    }
}

class ThumbCellTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        ASSERT_TRUE(host.create(ui::CRect(50, 50, 50 + 634, 50 + 455)));
        browser.window = host.m_hWnd;
        ASSERT_NE(host.addButton(IDC_FIRST_CELL + 1, ui::CRect(0, 0, 6, 6)), nullptr);
        ASSERT_TRUE(cell.attach(&host, 1, ui::POINT{141, 31}));
        ASSERT_TRUE(panelState().thumbs.append(kNumber));
        ASSERT_TRUE(panelState().pictures.append(kNumber));
    }

    ThumbItem& thumb() { return panelState().thumbs.find(kNumber); }
    PictureItem& picture() { return panelState().pictures.find(kNumber); }

    void show(int width = 80, int height = 60)
    {
        fillPicture(picture(), width, height);
        cell.setNumber(kNumber);
        cell.Invalidate(ui::FALSE);
        automation::pumpPending();
    }

    // Whether the cell shows picture pixel (sx, sy) at its own (x, y).
    bool showsSource(int x, int y, int sx, int sy) { return pixelAt(cell.m_hWnd, x, y) == sourceColour(sx, sy); }
    bool showsFrame(ui::UINT frame, ui::UINT other)
    {
        // Anywhere but under the picture (the frames differ in the shape
        // of the well the picture sits in).
        const ui::CRect covered = thumbPlacement(picture().width, picture().height).target;
        const ui::POINT p = pointWhereBitmapsDiffer(frame, other, ui::CRect(0, 0, kCellWidth, 86), covered);
        return pixelAt(cell.m_hWnd, p.x, p.y) == bitmapPixel(frame, p.x, p.y);
    }
    // Nothing of any picture inside the thumbnail box: only the frame.
    bool boxShowsFrameOnly(ui::UINT frame)
    {
        return showsBitmap(cell.m_hWnd, kThumbBoxLeft, kThumbBoxTop, kThumbBoxSide, kThumbBoxSide, frame,
                           kThumbBoxLeft, kThumbBoxTop);
    }

    HostWindow host;
    CThumbCell cell;
};

TEST_F(ThumbCellTest, TakesItsControlAndGridPlace)
{
    EXPECT_EQ(cell.GetDlgCtrlID(), IDC_FIRST_CELL + 1);
    ui::CRect place;
    cell.GetWindowRect(&place);
    EXPECT_EQ(place, ui::CRect(50 + 141, 50 + 31, 50 + 141 + 97, 50 + 31 + 108));
    EXPECT_EQ(cell.number(), CThumbCell::kEmpty);
    EXPECT_STREQ(cell.GetRuntimeClass()->m_lpszClassName, "CThumbCell");
    EXPECT_TRUE(cell.IsKindOf(&ui::CBitmapButton::classCBitmapButton));
    EXPECT_FALSE(CThumbCell().attach(&host, 12, ui::POINT{0, 0}));
}

TEST_F(ThumbCellTest, ALandscapeThumbnailSits8PixelsDownWithItsLeft76Columns)
{
    show(80, 60);
    EXPECT_TRUE(cell.loaded());
    EXPECT_TRUE(showsSource(10, 18, 0, 0));
    EXPECT_TRUE(showsSource(85, 18, 75, 0));
    EXPECT_TRUE(showsSource(10, 77, 0, 59));
    EXPECT_TRUE(showsSource(85, 77, 75, 59));
    // Above and below the picture the frame shows.
    EXPECT_EQ(pixelAt(cell.m_hWnd, 40, 17), bitmapPixel(IDB_CELL_NORMAL, 40, 17));
    EXPECT_EQ(pixelAt(cell.m_hWnd, 40, 78), bitmapPixel(IDB_CELL_NORMAL, 40, 78));
    EXPECT_TRUE(showsFrame(IDB_CELL_NORMAL, IDB_CELL_SELECTED));
    saveScreenshot(cell.m_hWnd, "cell_landscape.png");
}

TEST_F(ThumbCellTest, APortraitThumbnailSits8PixelsInWithItsBottom76RowsAndPortraitFrames)
{
    show(60, 80);
    EXPECT_TRUE(showsSource(18, 10, 0, 4));
    EXPECT_TRUE(showsSource(77, 10, 59, 4));
    EXPECT_TRUE(showsSource(18, 85, 0, 79));
    EXPECT_EQ(pixelAt(cell.m_hWnd, 17, 40), bitmapPixel(IDB_CELL_PORTRAIT, 17, 40));
    EXPECT_TRUE(showsFrame(IDB_CELL_PORTRAIT, IDB_CELL_NORMAL));
    thumb().select();
    cell.Invalidate(ui::FALSE);
    automation::pumpPending();
    EXPECT_TRUE(showsFrame(IDB_CELL_PORTRAIT_SELECTED, IDB_CELL_PORTRAIT));
    saveScreenshot(cell.m_hWnd, "cell_portrait_selected.png");
}

TEST_F(ThumbCellTest, SelectionChoosesTheFrameAndTheNumberIsThreeDigits)
{
    show();
    EXPECT_EQ(cell.numberText(), "007");
    // Light digits over the frame's dark strip right of the icon's place.
    int light = 0;
    for (int y = 89; y < 101; ++y)
        for (int x = 60; x < 80; ++x) {
            const ui::COLORREF c = pixelAt(cell.m_hWnd, x, y);
            light += ui::GetRValue(c) > 200 && ui::GetGValue(c) > 200 && ui::GetBValue(c) > 200 &&
                     c != bitmapPixel(IDB_CELL_NORMAL, x, y);
        }
    EXPECT_GT(light, 10);
    cell.refresh();  // the number change
    thumb().select();
    cell.refresh();  // the item changed
    EXPECT_FALSE(thumb().changed);
    EXPECT_TRUE(showsFrame(IDB_CELL_SELECTED, IDB_CELL_NORMAL));
    saveScreenshot(cell.m_hWnd, "cell_selected.png");

    EXPECT_EQ(cellNumberText(123), "123");
    EXPECT_EQ(cellNumberText(1234), "234");
    EXPECT_EQ(cellNumberText(1000), "000");
}

TEST_F(ThumbCellTest, AnEmptyCellShowsTheBareFrame)
{
    show();
    cell.setNumber(CThumbCell::kEmpty);
    automation::pumpPending();
    EXPECT_TRUE(showsBitmap(cell.m_hWnd, 0, 0, kCellWidth, kCellHeight, IDB_CELL_NORMAL));
}

TEST_F(ThumbCellTest, RefreshTurnsAPendingRotationIntoTheImageOnce)
{
    show();
    cell.refresh();  // takes the number change
    ASSERT_FALSE(cell.needsRedraw());
    thumb().rotateRight();
    cell.refresh();
    EXPECT_EQ(picture().width, 60);
    EXPECT_EQ(picture().height, 80);
    EXPECT_EQ(thumb().rotationPending, 0);
    EXPECT_EQ(thumb().rotationShown, 1);
    EXPECT_FALSE(thumb().changed);
    // Turned right: the old bottom-left corner is now the top-left one, and
    // the turned picture is drawn as a portrait.
    EXPECT_TRUE(showsSource(18, 10, 4, 59));
    EXPECT_TRUE(showsFrame(IDB_CELL_PORTRAIT, IDB_CELL_NORMAL));
    cell.refresh();
    EXPECT_EQ(picture().width, 60);
}

TEST_F(ThumbCellTest, APictureWhoseHeaderDisagreesWithItsBufferIsNotDrawn)
{
    show();
    // The header claims 160 x 120 for a buffer made for 80 x 60.
    sys::writeLe32(picture().image.data() + 4, 160);
    sys::writeLe32(picture().image.data() + 8, 120);
    cell.Invalidate(ui::FALSE);
    automation::pumpPending();
    EXPECT_TRUE(boxShowsFrameOnly(IDB_CELL_NORMAL));

    // The item's size claims more than its buffer holds.
    fillPicture(picture(), 80, 60);
    picture().width = 160;
    picture().height = 120;
    sys::writeLe32(picture().image.data() + 4, 160);
    sys::writeLe32(picture().image.data() + 8, 120);
    cell.Invalidate(ui::FALSE);
    automation::pumpPending();
    EXPECT_TRUE(boxShowsFrameOnly(IDB_CELL_NORMAL));
}

TEST_F(ThumbCellTest, ClicksCountOnlyOnceALoadedPictureWasShown)
{
    picture().allocate();  // a buffer, but nothing fetched into it
    cell.setNumber(kNumber);
    automation::pumpPending();
    EXPECT_FALSE(cell.loaded());
    automation::clickAt(cell.m_hWnd, {48, 50});
    automation::pumpPending();
    EXPECT_TRUE(browser.clicks.empty());

    show();
    automation::clickAt(cell.m_hWnd, {48, 50}, {.shift = true});
    automation::clickAt(cell.m_hWnd, {48, 50}, {.control = true});
    automation::pumpPending();
    ASSERT_EQ(browser.clicks.size(), 2u);
    EXPECT_EQ(browser.clicks[0].first, kNumber);
    EXPECT_TRUE(browser.clicks[0].second & ui::MK_SHIFT);
    EXPECT_FALSE(browser.clicks[0].second & ui::MK_CONTROL);
    EXPECT_TRUE(browser.clicks[1].second & ui::MK_CONTROL);
    EXPECT_TRUE(browser.infoShown.empty());
}

TEST_F(ThumbCellTest, DoubleClicksAskForTheThumbnailAgainExceptOnAnEmptyCell)
{
    show();
    automation::doubleClickAt(cell.m_hWnd, {48, 50});
    automation::pumpPending();
    EXPECT_EQ(browser.doubleClicks, std::vector<int>{kNumber});
    cell.setNumber(CThumbCell::kEmpty);
    automation::doubleClickAt(cell.m_hWnd, {48, 50});
    automation::pumpPending();
    EXPECT_EQ(browser.doubleClicks.size(), 1u);
}

TEST_F(ThumbCellTest, Model17CellsOpenTheImageInformationFromTheirIcon)
{
    panelState().modelCode = kInfoIconModel;
    show();
    EXPECT_TRUE(showsBitmap(cell.m_hWnd, 14, 88, 17, 17, IDB_INFO));
    bool openLook = false;
    browser.onShowImageInfo = [&](int) {
        EXPECT_TRUE(cell.infoOpen());
        openLook = showsBitmap(cell.m_hWnd, 14, 88, 17, 17, IDB_INFO_OPEN);
    };
    automation::clickAt(cell.m_hWnd, {20, 95});
    automation::pumpPending();
    EXPECT_EQ(browser.infoShown, std::vector<int>{kNumber});
    EXPECT_TRUE(openLook);
    EXPECT_FALSE(cell.infoOpen());
    EXPECT_TRUE(showsBitmap(cell.m_hWnd, 14, 88, 17, 17, IDB_INFO));
    EXPECT_TRUE(browser.clicks.empty());

    thumb().select();
    cell.Invalidate(ui::FALSE);
    automation::pumpPending();
    EXPECT_TRUE(showsBitmap(cell.m_hWnd, 14, 88, 17, 17, IDB_INFO_SELECTED));
    saveScreenshot(cell.m_hWnd, "cell_model17_selected.png");

    // Outside the icon it is a plain click.
    automation::clickAt(cell.m_hWnd, {40, 95});
    automation::pumpPending();
    EXPECT_EQ(browser.clicks.size(), 1u);
}

TEST_F(ThumbCellTest, OtherModelsHaveNoIconAndTheIconsPlaceIsAPlainClick)
{
    show();
    EXPECT_TRUE(showsBitmap(cell.m_hWnd, 14, 88, 17, 17, IDB_CELL_NORMAL, 14, 88));
    automation::clickAt(cell.m_hWnd, {20, 95});
    automation::pumpPending();
    EXPECT_TRUE(browser.infoShown.empty());
    EXPECT_EQ(browser.clicks.size(), 1u);
}

}  // namespace
}  // namespace qm::panel::test
