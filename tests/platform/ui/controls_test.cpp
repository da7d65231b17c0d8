// The standard controls beyond buttons and edits: list boxes, drop-down
// lists, progress bars, statics and check boxes.
#include "platform/ui/controls/control_styles.h"
#include "tests/platform/ui/ui_test_support.h"

namespace qm::ui::test {
namespace {

class ControlsTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        parent = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 300, 300});
    }
    HWND make(const char* cls, DWORD style, RECT r, int id, const char* text = "")
    {
        HWND h = CreateWindowEx(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                                r.bottom - r.top, parent, id, nullptr, nullptr);
        automation::pumpPending();
        Recorder::log().clear();
        return h;
    }
    std::vector<WORD> notifications(int id)
    {
        std::vector<WORD> out;
        for (const Logged& l : Recorder::only(WM_COMMAND))
            if (LOWORD(l.wParam) == id)
                out.push_back(HIWORD(l.wParam));
        return out;
    }
    std::string itemText(HWND list, int i)
    {
        std::string text(std::size_t(SendMessage(list, LB_GETTEXTLEN, WPARAM(i), 0)) + 1, '\0');
        SendMessage(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text.data()));
        text.pop_back();
        return text;
    }
    HWND parent = nullptr;
};

TEST_F(ControlsTest, ListBoxKeepsSortedItemsAndNotifiesSelection)
{
    HWND list = make("ListBox", LBS_NOTIFY | LBS_SORT, {10, 10, 150, 110}, 1120);
    for (const char* s : {"delta", "Alpha", "charlie", "bravo"})
        SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    ASSERT_EQ(SendMessage(list, LB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(itemText(list, 0), "Alpha");
    EXPECT_EQ(itemText(list, 3), "delta");
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(SendMessage(list, LB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>("CHARLIE")), 2);
    // A click selects the item under the pointer.
    automation::clickAt(list, {5, 2});
    automation::pumpPending();
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(notifications(1120), (std::vector<WORD>{LBN_SELCHANGE}));
    automation::pressKey(VK_DOWN);
    automation::pressKey(VK_END);
    automation::pumpPending();
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 3);
    Recorder::log().clear();
    automation::doubleClickAt(list, {5, 2});
    automation::pumpPending();
    EXPECT_EQ(notifications(1120), (std::vector<WORD>{LBN_SELCHANGE, LBN_DBLCLK}));
    EXPECT_EQ(SendMessage(list, LB_DELETESTRING, 9, 0), LB_ERR);
    EXPECT_EQ(SendMessage(list, LB_GETTEXTLEN, 9, 0), LB_ERR);
}

TEST_F(ControlsTest, ExtendedSelectionWithShiftAndCtrl)
{
    HWND list = make("ListBox", LBS_NOTIFY | LBS_EXTENDEDSEL, {10, 10, 150, 200}, 5);
    for (const char* s : {"a", "b", "c", "d", "e"})
        SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    SendMessage(parent, WM_GETFONT, 0, 0);
    HDC hdc = GetDC(list);
    SelectObject(hdc, GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRIC tm;
    GetTextMetrics(hdc, &tm);
    ReleaseDC(list, hdc);
    const int row = tm.tmHeight + 1;
    automation::clickAt(list, {5, row * 1 + 1});
    automation::clickAt(list, {5, row * 3 + 1}, {.shift = true});
    automation::pumpPending();
    int selected[8] = {};
    ASSERT_EQ(SendMessage(list, LB_GETSELITEMS, 8, reinterpret_cast<LPARAM>(selected)), 3);
    EXPECT_EQ(selected[0], 1);
    EXPECT_EQ(selected[2], 3);
    automation::clickAt(list, {5, row * 2 + 1}, {.control = true});
    automation::pumpPending();
    EXPECT_EQ(SendMessage(list, LB_GETSELCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessage(list, LB_GETSEL, 2, 0), 0);
    // The count limits what is written.
    EXPECT_EQ(SendMessage(list, LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(selected)), 1);
    SendMessage(list, LB_SETSEL, TRUE, -1);
    EXPECT_EQ(SendMessage(list, LB_GETSELCOUNT, 0, 0), 5);
    EXPECT_EQ(SendMessage(list, LB_SETCURSEL, 0, 0), LB_ERR);  // not for multiple selection
}

TEST_F(ControlsTest, DropDownListCyclesThroughItsChoices)
{
    HWND combo = make("ComboBox", CBS_DROPDOWNLIST, {10, 10, 150, 30}, 1136);
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("JPEG file (*.jpg)"));
    SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("All files"));
    SendMessage(combo, CB_SETCURSEL, 0, 0);
    automation::click(combo);
    automation::pumpPending();
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(notifications(1136), (std::vector<WORD>{CBN_SELCHANGE}));
    automation::click(combo);
    automation::pumpPending();
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 0);
    automation::pressKey(VK_UP);  // already first: nothing
    automation::pumpPending();
    EXPECT_EQ(notifications(1136).size(), 2u);
    char text[32];
    ASSERT_EQ(SendMessage(combo, CB_GETLBTEXTLEN, 1, 0), 9);
    SendMessage(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "All files");
    EXPECT_EQ(SendMessage(combo, CB_SETCURSEL, 7, 0), CB_ERR);
}

TEST_F(ControlsTest, ProgressBarClampsAndSteps)
{
    HWND bar = make(PROGRESS_CLASS, 0, {10, 10, 110, 30}, 1017);
    EXPECT_EQ(SendMessage(bar, PBM_SETPOS, 50, 0), 0);
    EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 50);
    SendMessage(bar, PBM_SETPOS, 500, 0);
    EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 100);
    SendMessage(bar, PBM_SETRANGE32, 0, 10);
    EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 10);
    SendMessage(bar, PBM_SETPOS, 0, 0);
    SendMessage(bar, PBM_SETSTEP, 4, 0);
    SendMessage(bar, PBM_STEPIT, 0, 0);
    SendMessage(bar, PBM_STEPIT, 0, 0);
    EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 8);
    SendMessage(bar, PBM_STEPIT, 0, 0);
    EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 2);  // wraps past the end
    // Hidden like the browser's standard bar, it draws nothing.
    ShowWindow(bar, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(bar));
}

TEST_F(ControlsTest, CheckBoxTogglesAndStaticNotifiesOnlyWhenAsked)
{
    HWND check = make("Button", BS_AUTOCHECKBOX, {10, 10, 150, 30}, 1040, "Open as &read-only");
    automation::click(check);
    automation::pumpPending();
    EXPECT_EQ(SendMessage(check, BM_GETCHECK, 0, 0), LRESULT(BST_CHECKED));
    EXPECT_EQ(notifications(1040), (std::vector<WORD>{BN_CLICKED}));
    SendMessage(check, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessage(check, BM_GETCHECK, 0, 0), LRESULT(BST_UNCHECKED));

    HWND quiet = make("Static", SS_LEFT, {10, 50, 150, 70}, 1, "label");
    HWND loud = make("Static", SS_NOTIFY, {10, 80, 150, 100}, 2, "link");
    automation::click(quiet);
    automation::click(loud);
    automation::pumpPending();
    EXPECT_TRUE(notifications(1).empty());
    EXPECT_EQ(notifications(2), (std::vector<WORD>{STN_CLICKED}));
    // A plain label lets the click through to its parent.
    EXPECT_EQ(Recorder::only(WM_LBUTTONDOWN).size(), 1u);
    EXPECT_EQ(Recorder::only(WM_LBUTTONDOWN)[0].hwnd, parent);
}

TEST_F(ControlsTest, PushButtonFollowsTheKeyboardAndItsState)
{
    HWND button = make("Button", BS_PUSHBUTTON, {10, 10, 90, 40}, 7, "Go");
    SetFocus(button);
    automation::pressKey(VK_SPACE);
    automation::pumpPending();
    EXPECT_EQ(notifications(7), (std::vector<WORD>{BN_CLICKED}));
    SendMessage(button, BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(SendMessage(button, BM_GETSTATE, 0, 0) & BST_PUSHED, LRESULT(BST_PUSHED));
    SendMessage(button, BM_SETSTATE, FALSE, 0);
    EnableWindow(button, FALSE);
    SendMessage(button, BM_CLICK, 0, 0);  // a disabled button is not clicked
    EXPECT_EQ(notifications(7).size(), 1u);
    // Its face is drawn (not left white) and its text is grey when disabled.
    automation::pumpPending();
    EXPECT_EQ(automation::pixelAt(button, 5, 5), GetSysColor(COLOR_BTNFACE));
}

TEST_F(ControlsTest, EditSelectsWithTheMouse)
{
    HWND edit = make("Edit", WS_BORDER | ES_AUTOHSCROLL, {10, 10, 200, 32}, 1041, "abcdef");
    automation::doubleClick(edit);
    automation::pumpPending();
    DWORD from = 9, to = 9;
    SendMessage(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 6u);
    automation::clickAt(edit, {1, 5});
    automation::pumpPending();
    SendMessage(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 0u);
    SendMessage(edit, EM_SETSEL, 2, 4);
    SendMessage(edit, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("XY"));
    EXPECT_EQ(getWindowText(edit), "abXYef");
    char small[4];
    EXPECT_EQ(GetWindowText(edit, small, sizeof small), 3);
    EXPECT_STREQ(small, "abX");
}

}  // namespace
}  // namespace qm::ui::test
