// The grid on a loaded camera: which pictures the cells show as the user
// scrolls, selection by mouse with Shift and Ctrl, select all and none,
// rotation, and keys that must do nothing.
#include "platform/ui/input/keys.h"
#include "tests/panel/browser/browser_fixture.h"

namespace qm::panel::test {
namespace {

std::vector<int> numbersFrom(int first, int count)
{
    std::vector<int> numbers;
    for (int index = 0; index < kCellCount; ++index)
        numbers.push_back(first + index <= count ? first + index : 0);
    return numbers;
}

stillcam::StillCameraConfig withPictures(unsigned count)
{
    stillcam::StillCameraConfig config;
    config.pictureCount = count;
    return config;
}

class BrowserGrid : public BrowserTest {};

TEST_F(BrowserGrid, ThirteenPicturesScrollByPageAndByRow)
{
    start(withPictures(13));
    ASSERT_EQ(panelState().thumbs.size(), 13u);
    // Loading the 13th thumbnail brought it into view: its row is the last.
    EXPECT_EQ(cellNumbers(), numbersFrom(5, 13));
    click(IDC_PAGE_UP);
    EXPECT_EQ(cellNumbers(), numbersFrom(1, 13));

    click(IDC_PAGE_DOWN);
    EXPECT_EQ(cellNumbers(), numbersFrom(5, 13)) << "13 in the third row, three empty cells";
    click(IDC_PAGE_DOWN);
    EXPECT_EQ(cellNumbers(), numbersFrom(5, 13)) << "nothing below";
    click(IDC_PAGE_UP);
    EXPECT_EQ(cellNumbers(), numbersFrom(1, 13));

    click(IDC_ROW_DOWN);
    EXPECT_EQ(cellNumbers(), numbersFrom(5, 13));
    click(IDC_ROW_DOWN);
    EXPECT_EQ(cellNumbers(), numbersFrom(5, 13));
    click(IDC_ROW_UP);
    EXPECT_EQ(cellNumbers(), numbersFrom(1, 13));
    click(IDC_ROW_UP);
    EXPECT_EQ(cellNumbers(), numbersFrom(1, 13));
    EXPECT_TRUE(messages().empty());
}

class FewPictures : public BrowserTest, public ::testing::WithParamInterface<unsigned> {};

TEST_P(FewPictures, DoNotScroll)
{
    const unsigned count = GetParam();
    start(withPictures(count));
    EXPECT_EQ(cellNumbers(), numbersFrom(1, int(count)));
    click(IDC_PAGE_DOWN);
    click(IDC_ROW_DOWN);
    EXPECT_EQ(cellNumbers(), numbersFrom(1, int(count)));
    EXPECT_EQ(browser().firstVisible(), 1);
}

INSTANTIATE_TEST_SUITE_P(BrowserGrid, FewPictures, ::testing::Values(12u, 5u));

TEST_F(BrowserGrid, LoadingTheSeventeenthThumbnailScrollsItIntoTheBottomRow)
{
    start(withPictures(17));
    EXPECT_EQ(browser().firstVisible(), 9);
    EXPECT_EQ(cellNumbers(), numbersFrom(9, 17));
    click(IDC_PAGE_UP);
    EXPECT_EQ(browser().firstVisible(), 1);
    click(IDC_PAGE_DOWN);
    EXPECT_EQ(browser().firstVisible(), 9) << "five left below 13: one row step of 8";
}

TEST_F(BrowserGrid, PlainShiftAndControlClicksSelect)
{
    start(withPictures(8));
    click(IDC_PAGE_UP);
    // Shift before any click selects from the initial anchor 0.
    clickCell(2, {.shift = true});
    EXPECT_EQ(selectedNumbers(), (std::vector<int>{1, 2, 3}));

    clickCell(4);
    EXPECT_EQ(selectedNumbers(), (std::vector<int>{5}));
    clickCell(1, {.shift = true});
    EXPECT_EQ(selectedNumbers(), (std::vector<int>{2, 3, 4, 5}));
    clickCell(6, {.shift = true});
    EXPECT_EQ(selectedNumbers(), (std::vector<int>{5, 6, 7})) << "the anchor stayed at 5";

    clickCell(0, {.control = true});
    EXPECT_EQ(selectedNumbers(), (std::vector<int>{1, 5, 6, 7}));
    clickCell(5, {.control = true});
    EXPECT_EQ(selectedNumbers(), (std::vector<int>{1, 5, 7}));
    clickCell(5, {.control = true});
    EXPECT_EQ(selectedNumbers(), (std::vector<int>{1, 5, 6, 7}));
    // Ctrl moved the anchor to 6.
    clickCell(7, {.shift = true});
    EXPECT_EQ(selectedNumbers(), (std::vector<int>{6, 7, 8}));
    // Both held: nothing.
    clickCell(0, {.shift = true, .control = true});
    EXPECT_EQ(selectedNumbers(), (std::vector<int>{6, 7, 8}));
    // An empty cell takes no click.
    clickCell(10);
    EXPECT_EQ(selectedNumbers(), (std::vector<int>{6, 7, 8}));
}

TEST_F(BrowserGrid, SelectAllAndNone)
{
    start(withPictures(5));
    click(IDC_SELECT_ALL);
    EXPECT_EQ(selectedNumbers(), (std::vector<int>{1, 2, 3, 4, 5}));
    click(IDC_SELECT_NONE);
    EXPECT_TRUE(selectedNumbers().empty());
}

TEST_F(BrowserGrid, RotateTurnsTheSelectedThumbnailsAndAsksForASelectionFirst)
{
    start(withPictures(3));
    automation::answerNextMessageBox(ui::IDOK);
    click(IDC_ROTATE);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "Before Pressing this Button,\nselect one or more Photos on TWAIN Driver, please!");

    clickCell(1);
    const std::vector<std::uint8_t> upright = panelState().pictures.find(2).image;
    click(IDC_ROTATE);
    const PictureItem& turned = panelState().pictures.find(2);
    EXPECT_EQ(turned.width, 60);
    EXPECT_EQ(turned.height, 80);
    EXPECT_TRUE(turned.drawable());
    EXPECT_EQ(panelState().thumbs.find(2).rotationShown, 1);
    EXPECT_EQ(panelState().thumbs.find(1).rotationShown, 0);
    // Row i, column j of the result is row j, column width - 1 - i of the
    // original (rows as stored).
    const std::size_t uprightStride = dibStride(80);
    const std::size_t turnedStride = dibStride(60);
    for (auto [i, j] : {std::pair{0, 0}, std::pair{79, 59}, std::pair{10, 33}}) {
        const std::uint8_t* result = turned.image.data() + 40 + std::size_t(i) * turnedStride + std::size_t(j) * 3;
        const std::uint8_t* source = upright.data() + 40 + std::size_t(j) * uprightStride + std::size_t(79 - i) * 3;
        EXPECT_EQ(std::vector<std::uint8_t>(result, result + 3), std::vector<std::uint8_t>(source, source + 3));
    }
    // Four quarter turns give the picture back.
    for (int turn = 0; turn < 3; ++turn)
        click(IDC_ROTATE);
    EXPECT_EQ(panelState().pictures.find(2).image, upright);
    EXPECT_EQ(panelState().thumbs.find(2).rotationShown, 0);
}

TEST_F(BrowserGrid, EscapeEnterAndTabDoNothing)
{
    start(withPictures(3));
    clickCell(0);
    for (ui::UINT key : {ui::VK_ESCAPE, ui::VK_RETURN, ui::VK_TAB}) {
        pressKey(key);
        EXPECT_TRUE(ui::IsWindowVisible(window()));
        EXPECT_TRUE(messages().empty()) << "no leave question";
        EXPECT_EQ(selectedNumbers(), (std::vector<int>{1}));
    }
}

}  // namespace
}  // namespace qm::panel::test
