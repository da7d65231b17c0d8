// The toolbar button's hint: when it shows, where it goes on the screen,
// when it must not show, and what takes it away.
#include "panel/controls/bmp_button.h"
#include "panel/controls/hint_wnd.h"
#include "panel/resources/resource.h"
#include "tests/panel/controls/controls_test_support.h"

namespace qm::panel::test {
namespace {

namespace automation = ui::automation;

constexpr int kButtonId = IDC_SAVE_TO_DISK;
const ButtonLooks kSaveLooks{IDB_SAVE_NORMAL, IDB_SAVE_PRESSED, IDB_SAVE_FOCUS, IDB_SAVE_DISABLED};
const ui::SIZE kScreen{1024, 768};

class HintTest : public ControlsTest {
protected:
    // A host at `hostPlace` with the Save button at (10, 10) of it.
    void makeButton(const ui::CRect& hostPlace = ui::CRect(100, 100, 300, 200))
    {
        ASSERT_TRUE(host.create(hostPlace));
        browser.window = host.m_hWnd;
        ASSERT_NE(host.addButton(kButtonId, ui::CRect(0, 0, 6, 6)), nullptr);
        ASSERT_TRUE(button.attach(&host, kButtonId, kSaveLooks, ui::CRect(10, 10, 60, 39)));
        button.setHint("Save Photo(s) to Disk directory");
        // The first hover after a long rest waits; start from a recent one.
        hover({5, 5});
        automation::runFor(50);
        host.SetFocus();
        automation::pumpPending();
    }

    // Moves the pointer to (x, y) of the button.
    void hover(ui::POINT point)
    {
        automation::moveMouseTo(button.m_hWnd, point);
        automation::pumpPending();
    }

    HostWindow host;
    CBmpButton button;
};

TEST_F(HintTest, PlacementCentresUnderThePointerAndKeepsOnTheScreen)
{
    // Centred on x, 16 below the pointer, one pixel of border around the text.
    EXPECT_EQ(CHintWnd::placement({500, 300}, {100, 12}, kScreen), ui::CRect(450, 316, 552, 330));
    // Right and bottom edges: moved left and up, fully on the screen.
    EXPECT_EQ(CHintWnd::placement({1020, 760}, {100, 12}, kScreen), ui::CRect(922, 754, 1024, 768));
    // Left and top edges: never closer than 2 pixels.
    EXPECT_EQ(CHintWnd::placement({10, -30}, {100, 12}, kScreen), ui::CRect(2, 2, 104, 16));
    // Wider than the screen: the left edge wins.
    EXPECT_EQ(CHintWnd::placement({500, 300}, {2000, 12}, kScreen).left, 2);
}

TEST_F(HintTest, RestingOnTheButtonShowsItsHintBelowThePointer)
{
    makeButton();
    hover({20, 15});
    EXPECT_EQ(ui::GetFocus(), button.m_hWnd);
    EXPECT_TRUE(button.hintTimerRunning());
    EXPECT_EQ(button.hintWindow(), nullptr);
    automation::runFor(CBmpButton::kHintDelayMs);
    CHintWnd* hint = button.hintWindow();
    ASSERT_NE(hint, nullptr);
    EXPECT_FALSE(button.hintTimerRunning());
    EXPECT_EQ(hint->text(), "Save Photo(s) to Disk directory");
    EXPECT_TRUE(hint->GetExStyle() & ui::WS_EX_TOPMOST);
    // The pointer is at (130, 125) on the screen.
    ui::CRect place;
    hint->GetWindowRect(&place);
    EXPECT_EQ(place, CHintWnd::placement({130, 125}, CHintWnd::measure(hint->text()), kScreen));
    // Black text on pale yellow, and the button kept the focus.
    automation::pumpPending();
    EXPECT_EQ(automation::pixelAt(hint->m_hWnd, place.Width() - 3, 1), CHintWnd::kBackground);
    bool black = false;
    for (int x = 0; x < place.Width() - 2 && !black; ++x)
        for (int y = 0; y < place.Height() - 2 && !black; ++y)
            black = automation::pixelAt(hint->m_hWnd, x, y) == ui::RGB(0, 0, 0);
    EXPECT_TRUE(black);
    EXPECT_EQ(ui::GetFocus(), button.m_hWnd);
    saveScreenshot(hint->m_hWnd, "hint.png");
    saveScreenshot(host.m_hWnd, "toolbar_button_hover.png");
}

TEST_F(HintTest, AHintNearTheScreensCornerStaysOnTheScreen)
{
    makeButton(ui::CRect(1024 - 70, 768 - 45, 1024, 768));
    hover({45, 25});
    automation::runFor(20);
    CHintWnd* hint = button.hintWindow();
    ASSERT_NE(hint, nullptr);
    ui::CRect place;
    hint->GetWindowRect(&place);
    EXPECT_LE(place.right, 1024);
    EXPECT_LE(place.bottom, 768);
    EXPECT_GE(place.left, 2);
    EXPECT_GE(place.top, 2);
    EXPECT_GT(place.Width(), 100);
}

TEST_F(HintTest, NoHintWhileTheBrowserRunsAnOperationOrWithoutABrowser)
{
    makeButton();
    browser.operation = 9;
    hover({20, 15});
    automation::runFor(50);
    EXPECT_EQ(button.hintWindow(), nullptr);
    EXPECT_FALSE(button.hintTimerRunning());
    EXPECT_NE(ui::GetFocus(), button.m_hWnd);

    browser.operation = 0;
    panelState().browser = nullptr;
    hover({22, 15});
    automation::runFor(50);
    EXPECT_EQ(button.hintWindow(), nullptr);
    EXPECT_NE(ui::GetFocus(), button.m_hWnd);
}

TEST_F(HintTest, AButtonWithoutHintTextTakesTheFocusButShowsNoHint)
{
    makeButton();
    button.setHint("");
    hover({20, 15});
    automation::runFor(50);
    EXPECT_EQ(ui::GetFocus(), button.m_hWnd);
    EXPECT_EQ(button.hintWindow(), nullptr);
}

TEST_F(HintTest, TheFirstHintAfterALongRestWaitsASecondAndTheNextDoesNot)
{
    makeButton();
    automation::advanceClock(CBmpButton::kRestingMs + 1000);
    std::uint32_t before = automation::clockNow();
    hover({20, 15});
    EXPECT_GE(automation::clockNow() - before, CBmpButton::kFirstHintWaitMs);
    before = automation::clockNow();
    hover({21, 15});
    EXPECT_LT(automation::clockNow() - before, CBmpButton::kFirstHintWaitMs);
}

TEST_F(HintTest, LosingTheFocusOrPressingTheButtonTakesTheHintAway)
{
    makeButton();
    hover({20, 15});
    automation::runFor(20);
    ASSERT_NE(button.hintWindow(), nullptr);
    host.SetFocus();
    EXPECT_EQ(button.hintWindow(), nullptr);

    hover({21, 15});
    automation::runFor(20);
    ASSERT_NE(button.hintWindow(), nullptr);
    automation::pressButton(button.m_hWnd, {21, 15});
    automation::pumpPending();
    EXPECT_EQ(button.hintWindow(), nullptr);
    automation::releaseButton(button.m_hWnd, {21, 15});
    automation::pumpPending();
}

TEST_F(HintTest, APressThatMovesALittleStillClicks)
{
    makeButton();
    automation::pressButton(button.m_hWnd, {20, 15});
    automation::pumpPending();
    hover({24, 17});
    automation::runFor(20);
    EXPECT_EQ(button.hintWindow(), nullptr);
    automation::releaseButton(button.m_hWnd, {24, 17});
    automation::pumpPending();
    EXPECT_EQ(host.clickedIds, std::vector<int>{kButtonId});
}

TEST_F(HintTest, LooksComeFromThePanelsBitmaps)
{
    makeButton();
    automation::pumpPending();
    EXPECT_TRUE(showsBitmap(button.m_hWnd, 0, 0, 50, 29, IDB_SAVE_NORMAL));
    hover({20, 15});
    automation::pumpPending();
    EXPECT_TRUE(showsBitmap(button.m_hWnd, 0, 0, 50, 29, IDB_SAVE_FOCUS));
    host.SetFocus();
    button.EnableWindow(ui::FALSE);
    automation::pumpPending();
    EXPECT_TRUE(showsBitmap(button.m_hWnd, 0, 0, 50, 29, IDB_SAVE_DISABLED));
}

}  // namespace
}  // namespace qm::panel::test
