#include "panel/resources/art/skin.h"

#include "panel/resources/art/background_art.h"
#include "panel/resources/art/cell_art.h"
#include "panel/resources/art/dialog_art.h"
#include "panel/resources/art/toolbar_art.h"
#include "panel/resources/resource.h"

namespace qm::panel::art {
namespace {

constexpr int kToolbarWidth = 50;
constexpr int kToolbarHeight = 29;
constexpr int kConnectWidth = 100;
constexpr int kScrollWidth = 25;
constexpr int kScrollHeight = 30;

// A button's four looks; a look whose id is 0 has no bitmap of its own.
struct ButtonIds {
    int normal, pressed, focus, disabled;
};

struct ToolbarButton {
    const char* name;
    const char* label;
    Command command;
    ButtonIds ids;
    int width;
};

const ToolbarButton kToolbar[] = {
    {"save", "Save", Command::Save, {IDB_SAVE_NORMAL, IDB_SAVE_PRESSED, IDB_SAVE_FOCUS, IDB_SAVE_DISABLED},
     kToolbarWidth},
    {"transfer", "Transfer", Command::Transfer,
     {IDB_TRANSFER_NORMAL, IDB_TRANSFER_PRESSED, IDB_TRANSFER_FOCUS, IDB_TRANSFER_DISABLED}, kToolbarWidth},
    {"select_all", "All", Command::SelectAll,
     {IDB_SELECT_ALL_NORMAL, IDB_SELECT_ALL_PRESSED, IDB_SELECT_ALL_FOCUS, IDB_SELECT_ALL_DISABLED}, kToolbarWidth},
    {"select_none", "None", Command::SelectNone,
     {IDB_SELECT_NONE_NORMAL, IDB_SELECT_NONE_PRESSED, IDB_SELECT_NONE_FOCUS, IDB_SELECT_NONE_DISABLED},
     kToolbarWidth},
    {"rotate", "Rotate", Command::Rotate,
     {IDB_ROTATE_NORMAL, IDB_ROTATE_PRESSED, IDB_ROTATE_FOCUS, IDB_ROTATE_DISABLED}, kToolbarWidth},
    {"erase", "Erase", Command::Erase, {IDB_ERASE_NORMAL, IDB_ERASE_PRESSED, IDB_ERASE_FOCUS, IDB_ERASE_DISABLED},
     kToolbarWidth},
    {"settings", "Settings", Command::Settings,
     {IDB_SETTINGS_NORMAL, IDB_SETTINGS_PRESSED, IDB_SETTINGS_FOCUS, IDB_SETTINGS_DISABLED}, kToolbarWidth},
    {"status", "Status", Command::Status,
     {IDB_STATUS_NORMAL, IDB_STATUS_PRESSED, IDB_STATUS_FOCUS, IDB_STATUS_DISABLED}, kToolbarWidth},
    {"upload", "Upload", Command::Upload,
     {IDB_UPLOAD_NORMAL, IDB_UPLOAD_PRESSED, IDB_UPLOAD_FOCUS, IDB_UPLOAD_DISABLED}, kToolbarWidth},
    {"take", "Shoot", Command::Shoot, {IDB_TAKE_NORMAL, IDB_TAKE_PRESSED, IDB_TAKE_FOCUS, IDB_TAKE_DISABLED},
     kToolbarWidth},
    {"connect", "Connect", Command::Connect,
     {IDB_CONNECT_NORMAL, IDB_CONNECT_PRESSED, IDB_CONNECT_FOCUS, IDB_CONNECT_DISABLED}, kConnectWidth},
    // Help and Exit stay usable in every state: their normal look serves as
    // the disabled one.
    {"help", "Help", Command::Help, {IDB_HELP_NORMAL, IDB_HELP_PRESSED, IDB_HELP_FOCUS, 0}, kToolbarWidth},
    {"exit", "Exit", Command::Exit, {IDB_EXIT_NORMAL, IDB_EXIT_PRESSED, IDB_EXIT_FOCUS, 0}, kToolbarWidth},
};

struct ScrollButton {
    const char* name;
    Command command;
    ButtonIds ids;
};

const ScrollButton kScroll[] = {
    {"page_up", Command::PageUp, {IDB_PAGE_UP_NORMAL, IDB_PAGE_UP_PRESSED, IDB_PAGE_UP_FOCUS, IDB_PAGE_UP_DISABLED}},
    {"row_up", Command::RowUp, {IDB_ROW_UP_NORMAL, IDB_ROW_UP_PRESSED, IDB_ROW_UP_FOCUS, IDB_ROW_UP_DISABLED}},
    {"row_down", Command::RowDown,
     {IDB_ROW_DOWN_NORMAL, IDB_ROW_DOWN_PRESSED, IDB_ROW_DOWN_FOCUS, IDB_ROW_DOWN_DISABLED}},
    {"page_down", Command::PageDown,
     {IDB_PAGE_DOWN_NORMAL, IDB_PAGE_DOWN_PRESSED, IDB_PAGE_DOWN_FOCUS, IDB_PAGE_DOWN_DISABLED}},
};

struct LookName {
    Look look;
    const char* suffix;
    int ButtonIds::*id;
};

const LookName kLooks[] = {
    {Look::Normal, "normal", &ButtonIds::normal},
    {Look::Pressed, "pressed", &ButtonIds::pressed},
    {Look::Focus, "focus", &ButtonIds::focus},
    {Look::Disabled, "disabled", &ButtonIds::disabled},
};

std::string fileName(const std::string& name) { return name + ".bmp"; }

}  // namespace

std::vector<SkinBitmap> skinBitmaps()
{
    std::vector<SkinBitmap> out;
    auto add = [&out](int id, const std::string& name, int width, int height, std::function<void(Canvas&)> paint) {
        out.push_back({id, fileName(name), width, height, std::move(paint)});
    };

    add(IDB_BACKGROUND, "background", kBackgroundWidth, kBackgroundHeight, paintBackground);
    add(IDB_FOCUS_SINK, "focus_sink", 4, 4, paintFocusSink);

    for (const ToolbarButton& b : kToolbar)
        for (const LookName& l : kLooks)
            if (const int id = b.ids.*l.id)
                add(id, std::string(b.name) + "_" + l.suffix, b.width, kToolbarHeight,
                    [b, look = l.look](Canvas& c) { paintToolbarButton(c, b.command, b.label, look); });
    for (const ScrollButton& b : kScroll)
        for (const LookName& l : kLooks)
            add(b.ids.*l.id, std::string(b.name) + "_" + l.suffix, kScrollWidth, kScrollHeight,
                [b, look = l.look](Canvas& c) { paintScrollButton(c, b.command, look); });

    struct Cell {
        int id;
        const char* name;
        bool portrait, selected;
    };
    for (const Cell& cell : {Cell{IDB_CELL_NORMAL, "cell_normal", false, false},
                             Cell{IDB_CELL_PORTRAIT, "cell_portrait", true, false},
                             Cell{IDB_CELL_SELECTED, "cell_selected", false, true},
                             Cell{IDB_CELL_PORTRAIT_SELECTED, "cell_portrait_selected", true, true}})
        add(cell.id, cell.name, kCellWidth, kCellHeight,
            [cell](Canvas& c) { paintCellFrame(c, cell.portrait, cell.selected); });

    struct Info {
        int id;
        const char* name;
        bool open, selected;
    };
    for (const Info& info : {Info{IDB_INFO_OPEN_SELECTED, "info_open_selected", true, true},
                             Info{IDB_INFO_OPEN, "info_open", true, false},
                             Info{IDB_INFO_SELECTED, "info_selected", false, true},
                             Info{IDB_INFO, "info", false, false}})
        add(info.id, info.name, kInfoIconSize, kInfoIconSize,
            [info](Canvas& c) { paintInfoIcon(c, info.open, info.selected); });

    add(IDB_PROGRESS, "progress", kProgressWidth, kProgressHeight, paintProgressFace);
    add(IDB_STRIP_TOP, "strip_top", kStripWidth, kStripHeight, [](Canvas& c) { paintStrip(c, Strip::Top); });
    add(IDB_STRIP, "strip", kStripWidth, kStripHeight, [](Canvas& c) { paintStrip(c, Strip::Body); });
    add(IDB_STRIP_BOTTOM, "strip_bottom", kStripWidth, kStripHeight, [](Canvas& c) { paintStrip(c, Strip::Bottom); });
    add(IDB_OPTION_UP, "option_up", kOptionWidth, kOptionHeight, [](Canvas& c) { paintOptionButton(c, false); });
    add(IDB_OPTION_DOWN, "option_down", kOptionWidth, kOptionHeight, [](Canvas& c) { paintOptionButton(c, true); });
    const int digitIds[10] = {IDB_DIGIT_0, IDB_DIGIT_1, IDB_DIGIT_2, IDB_DIGIT_3, IDB_DIGIT_4,
                              IDB_DIGIT_5, IDB_DIGIT_6, IDB_DIGIT_7, IDB_DIGIT_8, IDB_DIGIT_9};
    for (int digit = 0; digit < 10; ++digit)
        add(digitIds[digit], "digit_" + std::to_string(digit), kDigitWidth, kDigitHeight,
            [digit](Canvas& c) { paintDigit(c, digit); });
    add(IDB_REPEAT_UP, "repeat_up", kRepeatSize, kRepeatSize, [](Canvas& c) { paintRepeatButton(c, true); });
    add(IDB_REPEAT_DOWN, "repeat_down", kRepeatSize, kRepeatSize, [](Canvas& c) { paintRepeatButton(c, false); });
    add(IDB_ABOUT_CAMERA, "about_camera", kAboutSize, kAboutSize, paintAboutCamera);
    return out;
}

}  // namespace qm::panel::art
