// Option groups of the settings dialog: layout, the one-down rule, the
// camera's value marked, options not offered, and the lone OK button.
#include "panel/controls/check_box.h"
#include "panel/controls/choice_button.h"
#include "panel/resources/resource.h"
#include "tests/panel/controls/controls_test_support.h"

namespace qm::panel::test {
namespace {

namespace automation = ui::automation;

constexpr ui::COLORREF kMarked = ui::RGB(255, 200, 0);

class ChoiceTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        ASSERT_TRUE(host.create(ui::CRect(100, 100, 580, 340)));
        // The quality options' ids are not consecutive.
        for (int id : {IDC_QUALITY_1, IDC_QUALITY_2, IDC_QUALITY_3, ui::IDOK})
            host.addButton(id, ui::CRect(0, 0, 6, 6));
        font.CreateFont(18, 6, 0, 0, 450, 0, 0, 0, ui::ANSI_CHARSET, 0, 0, 0, ui::FF_SWISS, nullptr);
        CCheckBox::Layout layout;
        layout.origin = {200, 38};
        layout.step = {80, 0};
        ASSERT_TRUE(group.Create(&host, {IDC_QUALITY_1, IDC_QUALITY_2, IDC_QUALITY_3}, {"Fine", "Normal", "Basic"},
                                 layout));
        group.setFont(font);
        automation::pumpPending();
    }

    void clickOption(int index)
    {
        automation::click(group.item(index)->m_hWnd);
        automation::pumpPending();
    }

    bool shows(int index, ui::COLORREF colour)
    {
        ui::HWND option = group.item(index)->m_hWnd;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 64; ++x)
                if (automation::pixelAt(option, x, y) == colour)
                    return true;
        return false;
    }

    HostWindow host;
    ui::CFont font;
    CCheckBox group;
};

TEST_F(ChoiceTest, OptionsTakeTheirControlsAndLineUpOnTheRow)
{
    ASSERT_EQ(group.count(), 3);
    EXPECT_EQ(group.item(2)->GetDlgCtrlID(), IDC_QUALITY_3);
    for (int i = 0; i < 3; ++i) {
        ui::CRect place;
        group.item(i)->GetWindowRect(&place);
        EXPECT_EQ(place, ui::CRect(100 + 200 + 80 * i, 100 + 38, 100 + 264 + 80 * i, 100 + 62)) << i;
        EXPECT_EQ(group.item(i)->caption(), (std::vector<std::string>{"Fine", "Normal", "Basic"})[std::size_t(i)]);
    }
    EXPECT_EQ(group.value(), 0);
    EXPECT_TRUE(showsBitmap(group.item(0)->m_hWnd, 0, 0, 10, 24, IDB_OPTION_UP));
    EXPECT_FALSE(CCheckBox().Create(&host, IDC_QUALITY_1, {"1", "2", "3", "4", "5"}, CCheckBox::Layout{}));
}

TEST_F(ChoiceTest, TheCamerasValueIsMarkedAndDownAndAClickMovesTheChoice)
{
    group.showCameraValue(2, true);
    automation::pumpPending();
    EXPECT_EQ(group.value(), 2);
    EXPECT_EQ(group.item(1)->activity(), CChoiceButton::kMarked);
    EXPECT_EQ(group.item(0)->activity(), CChoiceButton::kActive);
    EXPECT_TRUE(shows(1, kMarked));
    EXPECT_TRUE(showsBitmap(group.item(1)->m_hWnd, 0, 0, 10, 24, IDB_OPTION_DOWN));
    saveScreenshot(host.m_hWnd, "option_group.png");

    clickOption(0);
    EXPECT_EQ(group.value(), 1);
    EXPECT_FALSE(group.item(1)->down());
    EXPECT_TRUE(showsBitmap(group.item(0)->m_hWnd, 0, 0, 10, 24, IDB_OPTION_DOWN));
    EXPECT_TRUE(showsBitmap(group.item(1)->m_hWnd, 0, 0, 10, 24, IDB_OPTION_UP));

    // A click on the option that is down puts it up: no option is chosen.
    clickOption(0);
    EXPECT_EQ(group.value(), 0);
}

TEST_F(ChoiceTest, AValueThatCouldNotBeReadOffersNoOption)
{
    group.showCameraValue(3, false);
    automation::pumpPending();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(group.item(i)->activity(), CChoiceButton::kInactive);
    EXPECT_TRUE(shows(0, ui::RGB(128, 128, 128)));
    clickOption(2);
    EXPECT_EQ(group.value(), 0);
    group.item(0)->setActivity(7);
    EXPECT_EQ(group.item(0)->activity(), CChoiceButton::kInactive);
}

TEST_F(ChoiceTest, ALoneButtonLooksPressedWhileHeldAndReportsItsClick)
{
    CChoiceButton ok;
    ASSERT_TRUE(ok.attach(&host, ui::IDOK, "OK"));
    ok.MoveWindow(200, 150, 64, 24, ui::FALSE);
    automation::pressButton(ok.m_hWnd, {30, 12});
    automation::pumpPending();
    EXPECT_TRUE(ok.down());
    automation::releaseButton(ok.m_hWnd, {30, 12});
    automation::pumpPending();
    EXPECT_FALSE(ok.down());
    EXPECT_EQ(host.clickedIds, std::vector<int>{ui::IDOK});
}

}  // namespace
}  // namespace qm::panel::test
