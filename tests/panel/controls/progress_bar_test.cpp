// The progress bar: the 72-segment bar and its colours, the text, hiding
// into the browser's background, and its window class's life.
#include "panel/controls/progress_bar.h"

#include <memory>

#include "panel/resources/resource.h"
#include "tests/panel/controls/controls_test_support.h"

namespace qm::panel::test {
namespace {

using ui::automation::pixelAt;

constexpr ui::COLORREF kRowColours[6] = {ui::RGB(0xF4, 0x82, 0x3F), ui::RGB(0xFF, 0xA1, 0x67),
                                         ui::RGB(0xFF, 0xCF, 0xAA), ui::RGB(0xFF, 0xCF, 0xAA),
                                         ui::RGB(0xFF, 0xA1, 0x67), ui::RGB(0xF4, 0x82, 0x3F)};

class ProgressBarTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        ASSERT_TRUE(host.create(ui::CRect(20, 20, 20 + 634, 20 + 455)));
        ASSERT_TRUE(bar->Create(&host, ui::CRect(488, 245, 588, 285), IDC_PROGRESS_BAR));
        ui::automation::pumpPending();
    }

    // How many pixels of each bar row carry that row's colour, counted from
    // the bar's left end; -1 when the rows disagree.
    int drawnSegments()
    {
        int drawn = -1;
        for (int row = 0; row < 6; ++row) {
            int length = 0;
            while (length < CProgressBar::kSegments && pixelAt(bar->m_hWnd, 11 + length, 17 + row) == kRowColours[row])
                ++length;
            if (drawn >= 0 && length != drawn)
                return -1;
            drawn = length;
        }
        return drawn;
    }

    bool showsFace() { return showsBitmap(bar->m_hWnd, 0, 0, 100, 12, IDB_PROGRESS); }
    // The bar's client area lies at (488, 245) of the host, whose background
    // bitmap is painted 1:1.
    bool showsBackground() { return showsBitmap(bar->m_hWnd, 0, 0, 100, 40, IDB_BACKGROUND, 488, 245); }

    HostWindow host;
    std::unique_ptr<CProgressBar> bar = std::make_unique<CProgressBar>();
};

TEST_F(ProgressBarTest, PercentBecomesSegmentsCappedAtTheBarsLength)
{
    EXPECT_EQ(CProgressBar::segmentsFor(50), 36);
    EXPECT_EQ(CProgressBar::segmentsFor(1), 0);
    EXPECT_EQ(CProgressBar::segmentsFor(100), 72);
    EXPECT_EQ(CProgressBar::segmentsFor(254), 72);
    EXPECT_EQ(CProgressBar::segmentsFor(-5), 0);
}

TEST_F(ProgressBarTest, DrawsAsManySegmentsAsThePercentGivesInTheSixRowColours)
{
    bar->SetPos(50);
    EXPECT_TRUE(bar->visible());
    EXPECT_EQ(drawnSegments(), 36);
    EXPECT_TRUE(showsFace());
    // The bar's ends frame rows 17 to 22 at x = 10 and x = 83.
    for (int row = 17; row <= 22; ++row) {
        EXPECT_EQ(pixelAt(bar->m_hWnd, 10, row), kRowColours[0]) << row;
        EXPECT_EQ(pixelAt(bar->m_hWnd, 83, row), kRowColours[0]) << row;
    }
    saveScreenshot(bar->m_hWnd, "progress_bar_50.png");

    bar->SetPos(100);
    EXPECT_EQ(drawnSegments(), 72);
    bar->SetPos(200);
    EXPECT_EQ(drawnSegments(), 72);
    // The same segment count again changes nothing.
    EXPECT_EQ(bar->previousSegments(), 36);
    bar->SetPos(10);
    EXPECT_EQ(drawnSegments(), 7);
    EXPECT_EQ(bar->previousSegments(), 72);
}

TEST_F(ProgressBarTest, TwoFiftyFiveHidesItIntoTheBrowsersBackground)
{
    bar->SetPos(60);
    bar->SetText("Picture 3\n");
    ASSERT_TRUE(showsFace());
    bar->SetPos(255);
    EXPECT_FALSE(bar->visible());
    EXPECT_EQ(bar->segments(), 0);
    EXPECT_EQ(bar->previousSegments(), 0);
    // The whole face goes, text and all, not just the bar.
    EXPECT_TRUE(showsBackground());
    saveScreenshot(host.m_hWnd, "progress_bar_hidden_host.png");
}

TEST_F(ProgressBarTest, ShowingAgainAtTheSamePositionBringsTheFaceBack)
{
    bar->SetPos(50);
    bar->SetVisible(false);
    ASSERT_TRUE(showsBackground());
    bar->SetPos(50);
    EXPECT_TRUE(bar->visible());
    EXPECT_TRUE(showsFace());
    EXPECT_EQ(drawnSegments(), 36);
}

TEST_F(ProgressBarTest, TextIsDrawnUnderTheBarAndCanBeCleared)
{
    bar->SetPos(0);
    bar->SetText("Thumbnail\n");
    ASSERT_TRUE(bar->text().has_value());
    EXPECT_FALSE(showsBitmap(bar->m_hWnd, 2, 26, 96, 12, IDB_PROGRESS, 2, 26));
    saveScreenshot(bar->m_hWnd, "progress_bar_text.png");
    bar->SetText(static_cast<const char*>(nullptr));
    EXPECT_FALSE(bar->text().has_value());
    EXPECT_TRUE(showsBitmap(bar->m_hWnd, 2, 26, 96, 12, IDB_PROGRESS, 2, 26));
}

TEST_F(ProgressBarTest, AnotherBarAfterTheLastOneWentGetsAFreshClass)
{
    ui::WNDCLASS info;
    ASSERT_TRUE(ui::GetClassInfo(nullptr, "VantrelProgressBar", &info));
    EXPECT_NE(info.hbrBackground, nullptr);
    {
        CProgressBar second;
        ASSERT_TRUE(second.Create(&host, ui::CRect(0, 0, 100, 40), 2000));
    }
    // One bar is left, so the class and its brush stay.
    ASSERT_TRUE(ui::GetClassInfo(nullptr, "VantrelProgressBar", &info));
    bar.reset();
    EXPECT_FALSE(ui::GetClassInfo(nullptr, "VantrelProgressBar", &info));
    bar = std::make_unique<CProgressBar>();
    ASSERT_TRUE(bar->Create(&host, ui::CRect(488, 245, 588, 285), IDC_PROGRESS_BAR));
    ASSERT_TRUE(ui::GetClassInfo(nullptr, "VantrelProgressBar", &info));
    EXPECT_NE(info.hbrBackground, nullptr);
}

}  // namespace
}  // namespace qm::panel::test
