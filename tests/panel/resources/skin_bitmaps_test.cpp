// The skin as the panel loads it: every bitmap at the size its window
// expects, the four looks of every button told apart, and the places where
// the code draws on the art (text, bars, thumbnails) left readable.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "panel/resources/resource.h"
#include "tests/panel/resources/resource_probe.h"

namespace qm::panel::test {
namespace {

using ui::RGB;

struct Expected {
    int id;
    int width;
    int height;
};

struct ButtonLooks {
    const char* name;
    int normal, pressed, focus, disabled;  // disabled 0: the normal look serves
    int width, height;
};

const ButtonLooks kButtons[] = {
    {"Save", IDB_SAVE_NORMAL, IDB_SAVE_PRESSED, IDB_SAVE_FOCUS, IDB_SAVE_DISABLED, 50, 29},
    {"Transfer", IDB_TRANSFER_NORMAL, IDB_TRANSFER_PRESSED, IDB_TRANSFER_FOCUS, IDB_TRANSFER_DISABLED, 50, 29},
    {"Select all", IDB_SELECT_ALL_NORMAL, IDB_SELECT_ALL_PRESSED, IDB_SELECT_ALL_FOCUS, IDB_SELECT_ALL_DISABLED, 50, 29},
    {"Select none", IDB_SELECT_NONE_NORMAL, IDB_SELECT_NONE_PRESSED, IDB_SELECT_NONE_FOCUS, IDB_SELECT_NONE_DISABLED,
     50, 29},
    {"Rotate", IDB_ROTATE_NORMAL, IDB_ROTATE_PRESSED, IDB_ROTATE_FOCUS, IDB_ROTATE_DISABLED, 50, 29},
    {"Erase", IDB_ERASE_NORMAL, IDB_ERASE_PRESSED, IDB_ERASE_FOCUS, IDB_ERASE_DISABLED, 50, 29},
    {"Settings", IDB_SETTINGS_NORMAL, IDB_SETTINGS_PRESSED, IDB_SETTINGS_FOCUS, IDB_SETTINGS_DISABLED, 50, 29},
    {"Status", IDB_STATUS_NORMAL, IDB_STATUS_PRESSED, IDB_STATUS_FOCUS, IDB_STATUS_DISABLED, 50, 29},
    {"Upload", IDB_UPLOAD_NORMAL, IDB_UPLOAD_PRESSED, IDB_UPLOAD_FOCUS, IDB_UPLOAD_DISABLED, 50, 29},
    {"Take", IDB_TAKE_NORMAL, IDB_TAKE_PRESSED, IDB_TAKE_FOCUS, IDB_TAKE_DISABLED, 50, 29},
    {"Connect", IDB_CONNECT_NORMAL, IDB_CONNECT_PRESSED, IDB_CONNECT_FOCUS, IDB_CONNECT_DISABLED, 100, 29},
    {"Help", IDB_HELP_NORMAL, IDB_HELP_PRESSED, IDB_HELP_FOCUS, 0, 50, 29},
    {"Exit", IDB_EXIT_NORMAL, IDB_EXIT_PRESSED, IDB_EXIT_FOCUS, 0, 50, 29},
    {"Page up", IDB_PAGE_UP_NORMAL, IDB_PAGE_UP_PRESSED, IDB_PAGE_UP_FOCUS, IDB_PAGE_UP_DISABLED, 25, 30},
    {"Row up", IDB_ROW_UP_NORMAL, IDB_ROW_UP_PRESSED, IDB_ROW_UP_FOCUS, IDB_ROW_UP_DISABLED, 25, 30},
    {"Row down", IDB_ROW_DOWN_NORMAL, IDB_ROW_DOWN_PRESSED, IDB_ROW_DOWN_FOCUS, IDB_ROW_DOWN_DISABLED, 25, 30},
    {"Page down", IDB_PAGE_DOWN_NORMAL, IDB_PAGE_DOWN_PRESSED, IDB_PAGE_DOWN_FOCUS, IDB_PAGE_DOWN_DISABLED, 25, 30},
};

const int kDigits[10] = {IDB_DIGIT_0, IDB_DIGIT_1, IDB_DIGIT_2, IDB_DIGIT_3, IDB_DIGIT_4,
                         IDB_DIGIT_5, IDB_DIGIT_6, IDB_DIGIT_7, IDB_DIGIT_8, IDB_DIGIT_9};

std::vector<Expected> everyBitmap()
{
    std::vector<Expected> all = {
        {IDB_BACKGROUND, 634, 455},
        {IDB_FOCUS_SINK, 4, 4},
        {IDB_CELL_NORMAL, 97, 108},
        {IDB_CELL_PORTRAIT, 97, 108},
        {IDB_CELL_SELECTED, 97, 108},
        {IDB_CELL_PORTRAIT_SELECTED, 97, 108},
        {IDB_INFO_OPEN_SELECTED, 17, 17},
        {IDB_INFO_OPEN, 17, 17},
        {IDB_INFO_SELECTED, 17, 17},
        {IDB_INFO, 17, 17},
        {IDB_PROGRESS, 100, 40},
        {IDB_STRIP_TOP, 480, 30},
        {IDB_STRIP, 480, 30},
        {IDB_STRIP_BOTTOM, 480, 30},
        {IDB_OPTION_UP, 64, 24},
        {IDB_OPTION_DOWN, 64, 24},
        {IDB_REPEAT_UP, 10, 10},
        {IDB_REPEAT_DOWN, 10, 10},
        {IDB_ABOUT_CAMERA, 64, 64},
    };
    for (const ButtonLooks& b : kButtons)
        for (int id : {b.normal, b.pressed, b.focus, b.disabled})
            if (id)
                all.push_back({id, b.width, b.height});
    for (int id : kDigits)
        all.push_back({id, 15, 21});
    return all;
}

Pixels load(int id)
{
    auto p = loadSkinBitmap(id);
    EXPECT_TRUE(p) << "bitmap " << id;
    return p ? *p : Pixels{};
}

TEST(SkinBitmaps, EveryBitmapLoadsAtTheSizeItsWindowUses)
{
    const auto all = everyBitmap();
    EXPECT_EQ(all.size(), 95u);
    for (const Expected& e : all) {
        auto p = loadSkinBitmap(e.id);
        ASSERT_TRUE(p) << "bitmap " << e.id;
        EXPECT_EQ(p->width, e.width) << "bitmap " << e.id;
        EXPECT_EQ(p->height, e.height) << "bitmap " << e.id;
    }
}

TEST(SkinBitmaps, EveryBitmapIdOfTheHeaderIsKnownHere)
{
    std::set<int> known;
    for (const Expected& e : everyBitmap())
        known.insert(e.id);
    std::set<int> declared;
    for (const auto& [name, id] : declaredIds("IDB_"))
        declared.insert(id);
    EXPECT_EQ(declared, known);
}

TEST(SkinBitmaps, TheLooksOfEveryButtonArePlainlyDifferent)
{
    // A look differs from another in at least a fifth of its pixels.
    constexpr double kShare = 0.2;
    constexpr int kTolerance = 16;
    for (const ButtonLooks& b : kButtons) {
        std::vector<std::pair<const char*, Pixels>> looks = {
            {"normal", load(b.normal)}, {"pressed", load(b.pressed)}, {"focus", load(b.focus)}};
        if (b.disabled)
            looks.push_back({"disabled", load(b.disabled)});
        for (std::size_t i = 0; i < looks.size(); ++i)
            for (std::size_t j = i + 1; j < looks.size(); ++j)
                EXPECT_GT(differingShare(looks[i].second, looks[j].second, kTolerance), kShare)
                    << b.name << ": " << looks[i].first << " and " << looks[j].first;
    }
}

TEST(SkinBitmaps, PressedLooksAreDarkerAndDisabledOnesDuller)
{
    const ui::RECT all{0, 0, 100, 30};
    for (const ButtonLooks& b : kButtons) {
        const Pixels normal = load(b.normal);
        EXPECT_LT(meanLuminance(load(b.pressed), all), meanLuminance(normal, all)) << b.name;
        EXPECT_GT(meanLuminance(load(b.focus), all), meanLuminance(normal, all)) << b.name;
        if (!b.disabled)
            continue;
        // The label of a disabled button stands out less from its face.
        auto spread = [](const Pixels& p) {
            double lo = 1, hi = 0;
            for (ui::COLORREF c : p.colours) {
                lo = std::min(lo, luminance(c));
                hi = std::max(hi, luminance(c));
            }
            return (hi + 0.05) / (lo + 0.05);
        };
        EXPECT_LT(spread(load(b.disabled)), spread(normal)) << b.name;
    }
}

TEST(SkinBitmaps, TheFocusSinkHidesInTheBackground)
{
    const Pixels background = load(IDB_BACKGROUND);
    const Pixels sink = load(IDB_FOCUS_SINK);
    ASSERT_EQ(sink.width, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(sink.at(x, y), background.at(1 + x, 1 + y)) << x << "," << y;
}

TEST(SkinBitmaps, TheProgressAreaOfTheBackgroundIsPlain)
{
    // A hidden progress bar shows the background under it, shifted by one
    // pixel: anything drawn there would show its seams.
    const Pixels background = load(IDB_BACKGROUND);
    for (int y = 244; y < 287; ++y)
        for (int x = 487; x < 590; ++x) {
            auto step = [](ui::COLORREF a, ui::COLORREF b) {
                return std::max({std::abs(ui::GetRValue(a) - ui::GetRValue(b)),
                                 std::abs(ui::GetGValue(a) - ui::GetGValue(b)),
                                 std::abs(ui::GetBValue(a) - ui::GetBValue(b))});
            };
            ASSERT_LE(step(background.at(x, y), background.at(x + 1, y)), 6) << x << "," << y;
            ASSERT_LE(step(background.at(x, y), background.at(x, y + 1)), 6) << x << "," << y;
        }
}

TEST(SkinBitmaps, TheProgressFaceHasADarkTroughAndALightTextLine)
{
    const Pixels face = load(IDB_PROGRESS);
    // The bar's lines (rows 17..22, x 10..83) are drawn over a dark trough.
    EXPECT_LT(meanLuminance(face, {10, 16, 85, 24}), 0.06);
    // Black text at (2, 26)-(98, 38).
    EXPECT_GE(worstContrast(face, {2, 26, 98, 38}, RGB(0, 0, 0)), 10.0);
}

TEST(SkinBitmaps, CellFramesShowTheNumberAndTheSelection)
{
    for (int id : {IDB_CELL_NORMAL, IDB_CELL_PORTRAIT, IDB_CELL_SELECTED, IDB_CELL_PORTRAIT_SELECTED}) {
        const Pixels frame = load(id);
        // The white three-digit number at (60, 89) in a 12-pixel font.
        EXPECT_GE(worstContrast(frame, {58, 88, 86, 102}, RGB(255, 255, 255)), 4.5) << id;
    }
    EXPECT_GT(differingShare(load(IDB_CELL_NORMAL), load(IDB_CELL_SELECTED), 40), 0.2);
    EXPECT_GT(differingShare(load(IDB_CELL_PORTRAIT), load(IDB_CELL_PORTRAIT_SELECTED), 40), 0.2);
    // The portrait frames open their window where an upright thumbnail lands.
    EXPECT_GT(differingShare(load(IDB_CELL_NORMAL), load(IDB_CELL_PORTRAIT), 40), 0.05);
}

TEST(SkinBitmaps, InformationIconsShowWhetherTheyAreOpenAndSelected)
{
    const int icons[] = {IDB_INFO, IDB_INFO_SELECTED, IDB_INFO_OPEN, IDB_INFO_OPEN_SELECTED};
    for (std::size_t i = 0; i < 4; ++i)
        for (std::size_t j = i + 1; j < 4; ++j)
            EXPECT_GT(differingShare(load(icons[i]), load(icons[j]), 24), 0.1) << icons[i] << " " << icons[j];
}

TEST(SkinBitmaps, StripDialogTextReadsOnTheBodyStrip)
{
    // Labels at x = 50 or 60 and values at 220 or 340, black, 18 pixels high,
    // on the repeated body strip.
    EXPECT_GE(worstContrast(load(IDB_STRIP), {44, 0, 470, 30}, RGB(0, 0, 0)), 10.0);
    // Its rows repeat without a seam.
    const Pixels body = load(IDB_STRIP);
    for (int x = 0; x < body.width; ++x)
        EXPECT_EQ(body.at(x, 0), body.at(x, body.height - 1)) << x;
}

TEST(SkinBitmaps, OptionCaptionsReadInEveryState)
{
    const ui::RECT caption{10, 6, 54, 18};
    const Pixels up = load(IDB_OPTION_UP), down = load(IDB_OPTION_DOWN);
    EXPECT_GE(worstContrast(up, caption, RGB(0, 0, 0)), 7.0);          // active
    EXPECT_GE(worstContrast(up, caption, RGB(128, 128, 128)), 2.5);    // inactive
    EXPECT_GE(worstContrast(down, caption, RGB(0, 0, 0)), 3.0);        // chosen
    EXPECT_GE(worstContrast(down, caption, RGB(255, 200, 0)), 3.0);    // the camera's value
    // Down is visibly pressed.
    EXPECT_LT(meanLuminance(down, {0, 0, 64, 24}), meanLuminance(up, {0, 0, 64, 24}) / 2);
}

TEST(SkinBitmaps, EveryDigitLooksDifferent)
{
    std::vector<Pixels> digits;
    for (int id : kDigits)
        digits.push_back(load(id));
    for (std::size_t i = 0; i < digits.size(); ++i)
        for (std::size_t j = i + 1; j < digits.size(); ++j)
            EXPECT_GT(differingShare(digits[i], digits[j], 40), 0.04) << "digits " << i << " and " << j;
    EXPECT_GT(differingShare(load(IDB_REPEAT_UP), load(IDB_REPEAT_DOWN), 40), 0.1);
}

}  // namespace
}  // namespace qm::panel::test
