// The settings dialog's stepping buttons on the virtual clock: the repeat
// button's pace (at once, after 600 ms, then every 150 ms) and the digit
// button's steps and wrap while it is held.
#include "panel/controls/digit_button.h"
#include "panel/controls/repeat_button.h"
#include "panel/resources/resource.h"
#include "tests/panel/controls/controls_test_support.h"

namespace qm::panel::test {
namespace {

namespace automation = ui::automation;

constexpr int kRepeatId = IDC_FIRST_REPEAT;
constexpr int kDigitId = IDC_YEAR_DIGIT_1;
constexpr int kReleaseTimer = 99;

// Records every change with the time it came.
class RecordingTarget : public NumberTarget {
public:
    void changeBy(int step) override { changes.push_back({automation::clockNow(), step}); }
    // Times of the changes, relative to the first.
    std::vector<std::uint32_t> offsets() const
    {
        std::vector<std::uint32_t> out;
        for (const auto& c : changes)
            out.push_back(c.first - changes.front().first);
        return out;
    }
    std::vector<std::pair<std::uint32_t, int>> changes;
};

class SteppingButtonTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        ASSERT_TRUE(host.create(ui::CRect(100, 100, 400, 200)));
        host.addButton(kRepeatId, ui::CRect(0, 0, 6, 6));
        host.addButton(kDigitId, ui::CRect(0, 0, 6, 6));
        ASSERT_TRUE(repeat.attach(&host, kRepeatId));
        repeat.setBitmap(IDB_REPEAT_UP);
        repeat.moveTo(20, 20);
        repeat.setTarget(&target);
        ASSERT_TRUE(digit.attach(&host, kDigitId));
        digit.moveTo(200, 20);
        automation::pumpPending();
    }

    // Lets the mouse button go over (x, y) of the host at `afterMs` from now,
    // whatever loop is running then.
    void releaseAfter(std::uint32_t afterMs, ui::POINT point, ui::automation::Button which = ui::automation::Button::Left)
    {
        host.onTimer = [this, point, which](ui::UINT_PTR id) {
            if (id != kReleaseTimer)
                return;
            host.KillTimer(kReleaseTimer);
            automation::releaseButton(host.m_hWnd, point, which);
        };
        host.SetTimer(kReleaseTimer, afterMs);
    }

    HostWindow host;
    CRepeatButton repeat;
    CDigitButton digit;
    RecordingTarget target;
};

TEST_F(SteppingButtonTest, HeldRepeatButtonActsAtOnceAfter600MsThenEvery150Ms)
{
    EXPECT_EQ(repeat.GetDlgCtrlID(), kRepeatId);
    ui::CRect place;
    repeat.GetWindowRect(&place);
    EXPECT_EQ(place, ui::CRect(120, 120, 130, 130));

    automation::pressButton(host.m_hWnd, {25, 25});
    automation::pumpPending();
    ASSERT_EQ(target.changes.size(), 1u);
    automation::runFor(1000);
    EXPECT_EQ(target.offsets(), (std::vector<std::uint32_t>{0, 600, 750, 900}));
    for (const auto& change : target.changes)
        EXPECT_EQ(change.second, 1);

    automation::releaseButton(host.m_hWnd, {25, 25});
    automation::pumpPending();
    EXPECT_FALSE(repeat.repeating());
    EXPECT_EQ(ui::GetCapture(), nullptr);
    automation::runFor(1000);
    EXPECT_EQ(target.changes.size(), 4u);
}

TEST_F(SteppingButtonTest, TheRightButtonCountsDownAndADoubleClickRepeatsSooner)
{
    repeat.setStep(5);
    automation::pressButton(host.m_hWnd, {25, 25}, automation::Button::Right);
    automation::pumpPending();
    automation::runFor(650);
    automation::releaseButton(host.m_hWnd, {25, 25}, automation::Button::Right);
    automation::pumpPending();
    ASSERT_EQ(target.changes.size(), 2u);
    EXPECT_EQ(target.changes[0].second, -5);
    EXPECT_EQ(target.changes[1].second, -5);

    // After a double click the repeat comes back after 150 ms, not 600.
    target.changes.clear();
    automation::moveMouseTo(host.m_hWnd, {25, 25});
    automation::pumpPending();
    repeat.SendMessage(ui::WM_LBUTTONDBLCLK, ui::MK_LBUTTON, ui::MAKELPARAM(5, 5));
    automation::runFor(200);
    repeat.SendMessage(ui::WM_LBUTTONUP, 0, ui::MAKELPARAM(5, 5));
    EXPECT_EQ(target.offsets(), (std::vector<std::uint32_t>{0, 150}));
    EXPECT_EQ(target.changes[0].second, 5);
}

TEST_F(SteppingButtonTest, LeavingTheButtonStopsTheRepeat)
{
    automation::pressButton(host.m_hWnd, {25, 25});
    automation::pumpPending();
    automation::moveMouseTo(host.m_hWnd, {60, 60});
    automation::pumpPending();
    EXPECT_FALSE(repeat.repeating());
    EXPECT_EQ(ui::GetCapture(), nullptr);
    automation::runFor(1000);
    EXPECT_EQ(target.changes.size(), 1u);
}

TEST_F(SteppingButtonTest, DigitsShowTheirOwnBitmaps)
{
    const ui::UINT expected[10] = {188, 186, 187, 189, 190, 195, 196, 197, 198, 199};
    for (int d = 0; d <= 9; ++d)
        EXPECT_EQ(CDigitButton::bitmapFor(d), expected[d]) << d;
    EXPECT_EQ(CDigitButton::bitmapFor(10), 0u);
    digit.setDigit(4);
    automation::pumpPending();
    ui::CRect place;
    digit.GetWindowRect(&place);
    EXPECT_EQ(place.Size(), ui::CSize(15, 21));
    EXPECT_TRUE(showsBitmap(digit.m_hWnd, 0, 0, 15, 21, IDB_DIGIT_4));
}

TEST_F(SteppingButtonTest, AClickStepsTheDigitOnce)
{
    digit.setDigit(3);
    automation::pressButton(host.m_hWnd, {205, 25});
    automation::releaseButton(host.m_hWnd, {205, 25});
    automation::pumpPending();
    EXPECT_EQ(digit.digit(), 4);
    EXPECT_FALSE(digit.held());
    EXPECT_EQ(ui::GetCapture(), nullptr);
    EXPECT_TRUE(showsBitmap(digit.m_hWnd, 0, 0, 15, 21, IDB_DIGIT_4));
}

TEST_F(SteppingButtonTest, AHeldDigitStepsEvery150MsAndWrapsFromItsHighestToItsLowest)
{
    digit.setRange(0, 4);
    digit.setDigit(3);
    // Steps at 0, 200 and 350 ms; the release at 380 ms ends the hold.
    releaseAfter(380, {205, 25});
    const std::uint32_t start = automation::clockNow();
    automation::pressButton(host.m_hWnd, {205, 25});
    automation::pumpPending();
    EXPECT_EQ(digit.digit(), 1);  // 3, 4, 0, 1
    EXPECT_FALSE(digit.held());
    EXPECT_GE(automation::clockNow() - start, 380u);
    EXPECT_LT(automation::clockNow() - start, 500u);

    // A digit that never goes past 5, held for long, stays within 2..5.
    digit.setRange(2, 5);
    digit.setDigit(5);
    releaseAfter(1000, {205, 25});
    automation::pressButton(host.m_hWnd, {205, 25});
    automation::pumpPending();
    EXPECT_GE(digit.digit(), 2);
    EXPECT_LE(digit.digit(), 5);
    // 0, 200, 350, ... 950: seven steps from 5 through 2, 3, 4, 5, 2, 3, 4.
    EXPECT_EQ(digit.digit(), 4);
}

TEST_F(SteppingButtonTest, MovingOffAHeldDigitEndsTheHold)
{
    digit.setDigit(0);
    host.onTimer = [this](ui::UINT_PTR) {
        host.KillTimer(kReleaseTimer);
        automation::moveMouseTo(host.m_hWnd, {150, 80});
    };
    host.SetTimer(kReleaseTimer, 250);
    automation::pressButton(host.m_hWnd, {205, 25});
    automation::pumpPending();
    EXPECT_FALSE(digit.held());
    EXPECT_EQ(digit.digit(), 2);  // at 0 and 200 ms
    EXPECT_EQ(ui::GetCapture(), nullptr);
    automation::releaseButton(host.m_hWnd, {150, 80});
    automation::pumpPending();
}

}  // namespace
}  // namespace qm::panel::test
