// Dialogs from templates: dialog units, keyboard navigation and mnemonics,
// edit controls, owner-drawn buttons, modal loops and message boxes.
#include "platform/ui/controls/control_styles.h"
#include "platform/ui/dialogs/message_box.h"
#include "platform/ui/resource/resource.h"
#include "tests/platform/ui/resources/test_resource.h"
#include "tests/platform/ui/ui_test_support.h"

namespace qm::ui::test {
namespace {

HINSTANCE self() { return instanceOf(reinterpret_cast<const void*>(&self)); }

struct FormLog {
    std::vector<std::pair<int, int>> commands;  // id, notification
    std::vector<UINT> drawStates;
    int changes = 0;
    bool initialised = false;
};
FormLog* formLog = nullptr;

LONG_PTR formProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        formLog->initialised = true;
        return TRUE;
    case WM_COMMAND:
        formLog->commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        if (LOWORD(wParam) == IDC_NAME && HIWORD(wParam) == EN_CHANGE)
            ++formLog->changes;
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    case WM_DRAWITEM:
        formLog->drawStates.push_back(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->itemState);
        return TRUE;
    default:
        (void)lParam;
        return FALSE;
    }
}

class DialogTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        formLog = &log;
    }
    HWND openForm()
    {
        HWND d = CreateDialogParam(self(), MAKEINTRESOURCE(IDD_FORM), nullptr, formProc, 0);
        ShowWindow(d, SW_SHOW);
        automation::pumpPending();
        log.commands.clear();
        log.drawStates.clear();
        log.changes = 0;
        return d;
    }
    bool clicked(int id)
    {
        for (auto [i, code] : log.commands)
            if (i == id && code == BN_CLICKED)
                return true;
        return false;
    }
    FormLog log;
};

TEST_F(DialogTest, TemplateControlsKeepIdsClassesTextsAndStyles)
{
    HWND d = openForm();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(log.initialised);
    EXPECT_EQ(getWindowText(d), "Form");
    char cls[32];
    GetClassName(GetDlgItem(d, IDC_NAME), cls, sizeof cls);
    EXPECT_STREQ(cls, "Edit");
    EXPECT_EQ(getDlgItemText(d, IDC_APPLY), "&Apply");
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(d, IDC_HIDDEN)));
    EXPECT_EQ(GetWindowLongPtr(GetDlgItem(d, IDC_SKIN), GWL_STYLE) & BS_TYPEMASK, LONG_PTR(BS_OWNERDRAW));
    // The first tab stop has the focus.
    EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_NAME));
}

TEST_F(DialogTest, DialogUnitsFollowTheFontsBaseUnits)
{
    HWND d = openForm();
    const long units = GetDialogBaseUnits();
    RECT r{4, 8, 8, 16};  // 4 x 8 dialog units = one average character cell
    ASSERT_TRUE(MapDialogRect(d, &r));
    EXPECT_EQ(r.right - r.left, LOWORD(std::uintptr_t(units)));
    EXPECT_EQ(r.bottom - r.top, HIWORD(std::uintptr_t(units)));
    RECT client;
    GetClientRect(d, &client);
    RECT expected{0, 0, 200, 100};
    MapDialogRect(d, &expected);
    EXPECT_EQ(client.right, expected.right);
    EXPECT_EQ(client.bottom, expected.bottom);
    RECT edit;
    GetWindowRect(GetDlgItem(d, IDC_NAME), &edit);
    POINT origin{0, 0};
    ClientToScreen(d, &origin);
    RECT place{50, 4, 130, 16};
    MapDialogRect(d, &place);
    EXPECT_EQ(edit.left - origin.x, place.left);
    EXPECT_EQ(edit.top - origin.y, place.top);
}

TEST_F(DialogTest, TabEnterAndEscapeNavigate)
{
    HWND d = openForm();
    automation::pressKey(VK_TAB);
    automation::pumpPending();
    EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_SKIN));
    automation::pressKey(VK_TAB);
    automation::pumpPending();
    EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_APPLY));  // the hidden button is skipped
    automation::pressKey(VK_TAB, {.shift = true});
    automation::pumpPending();
    EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_SKIN));
    // Enter on a focused push button presses it; elsewhere the default button.
    SetFocus(GetDlgItem(d, IDC_APPLY));
    automation::pressKey(VK_RETURN);
    automation::pumpPending();
    EXPECT_TRUE(clicked(IDC_APPLY));
    SetFocus(GetDlgItem(d, IDC_NAME));
    automation::pressKey(VK_RETURN);
    automation::pumpPending();
    EXPECT_TRUE(clicked(IDOK));
    log.commands.clear();
    HWND d2 = openForm();
    automation::pressKey(VK_ESCAPE);
    automation::pumpPending();
    EXPECT_TRUE(clicked(IDCANCEL));
    EXPECT_FALSE(IsWindowVisible(d2));  // EndDialog hides a modeless dialog
}

TEST_F(DialogTest, AltLetterPressesButtonsHiddenOnesIncludedAndLabelsFocusTheirControl)
{
    HWND d = openForm();
    SetFocus(GetDlgItem(d, IDC_APPLY));
    automation::pressKey('A', {.alt = true});
    automation::pumpPending();
    EXPECT_TRUE(clicked(IDC_APPLY));
    automation::pressKey('Z', {.alt = true});
    automation::pumpPending();
    EXPECT_TRUE(clicked(IDC_HIDDEN));
    automation::pressKey('N', {.alt = true});
    automation::pumpPending();
    EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_NAME));
    // Without Alt a letter goes into the edit control, not to a mnemonic.
    log.commands.clear();
    automation::pressKey('A');
    automation::pumpPending();
    EXPECT_FALSE(clicked(IDC_APPLY));
    EXPECT_EQ(getDlgItemText(d, IDC_NAME), "a");
    // A disabled button ignores its mnemonic.
    EnableWindow(GetDlgItem(d, IDC_APPLY), FALSE);
    log.commands.clear();
    automation::pressKey('A', {.alt = true});
    automation::pumpPending();
    EXPECT_FALSE(clicked(IDC_APPLY));
}

TEST_F(DialogTest, EditTypingSelectionAndChangeNotifications)
{
    HWND d = openForm();
    HWND edit = GetDlgItem(d, IDC_NAME);
    SetFocus(edit);
    automation::typeText("Cam1");
    automation::pumpPending();
    EXPECT_EQ(getWindowText(edit), "Cam1");
    EXPECT_EQ(log.changes, 4);
    // Shift+Left selects the last two characters; typing replaces them.
    automation::pressKey(VK_LEFT, {.shift = true});
    automation::pressKey(VK_LEFT, {.shift = true});
    automation::typeText("x");
    automation::pumpPending();
    EXPECT_EQ(getWindowText(edit), "Cax");
    automation::pressKey(VK_BACK);
    automation::pressKey(VK_HOME);
    automation::pressKey(VK_DELETE);
    automation::pumpPending();
    EXPECT_EQ(getWindowText(edit), "a");
    // Setting the text notifies too; read-only edits refuse typing.
    log.changes = 0;
    SetWindowText(edit, "IMG");
    EXPECT_EQ(log.changes, 1);
    SendMessage(edit, EM_SETREADONLY, TRUE, 0);
    automation::typeText("z");
    automation::pumpPending();
    EXPECT_EQ(getWindowText(edit), "IMG");
    SendMessage(edit, EM_SETREADONLY, FALSE, 0);
    SendMessage(edit, EM_LIMITTEXT, 3, 0);
    SendMessage(edit, EM_SETSEL, 3, 3);
    automation::typeText("q");
    automation::pumpPending();
    EXPECT_EQ(getWindowText(edit), "IMG");
    BOOL ok = FALSE;
    SetWindowText(edit, " -42");
    EXPECT_EQ(int(GetDlgItemInt(d, IDC_NAME, &ok, TRUE)), -42);
    EXPECT_TRUE(ok);
    SetWindowText(edit, "4x");
    EXPECT_EQ(GetDlgItemInt(d, IDC_NAME, &ok, TRUE), 0u);
    EXPECT_FALSE(ok);
}

TEST_F(DialogTest, OwnerDrawnButtonIsAskedToDrawEachState)
{
    HWND d = openForm();
    HWND skin = GetDlgItem(d, IDC_SKIN);
    automation::moveMouseTo(skin, {5, 5});
    automation::pumpPending();
    log.drawStates.clear();
    automation::pressButton(skin, {5, 5});
    automation::pumpPending();
    ASSERT_FALSE(log.drawStates.empty());
    EXPECT_EQ(log.drawStates.back(), ODS_SELECTED | ODS_FOCUS);
    automation::releaseButton(skin, {5, 5});
    automation::pumpPending();
    EXPECT_EQ(log.drawStates.back(), ODS_FOCUS);
    EXPECT_TRUE(clicked(IDC_SKIN));
    // Pressed, then released outside: no click.
    log.commands.clear();
    automation::pressButton(skin, {5, 5});
    automation::moveMouseTo(d, {300, 150});
    automation::releaseButton(d, {300, 150});
    automation::pumpPending();
    EXPECT_FALSE(clicked(IDC_SKIN));
    EnableWindow(skin, FALSE);
    automation::pumpPending();
    EXPECT_EQ(log.drawStates.back(), ODS_DISABLED);
}

TEST_F(DialogTest, ModalLoopsNestAndUnwindInnermostFirst)
{
    HWND owner = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 300, 200});
    automation::pumpPending();
    std::vector<std::string> order;
    automation::whenIdle([&] {
        HWND outer = automation::findWindow("Form");
        ASSERT_NE(outer, nullptr);
        EXPECT_FALSE(IsWindowEnabled(owner));  // the owner waits
        order.push_back("outer running");
        automation::whenIdle([&] {
            EXPECT_FALSE(IsWindowEnabled(outer));  // the outer dialog waits for the inner one
            order.push_back("inner running");
            automation::pressKey('N', {.alt = true});
        });
        const int answer = MessageBox(outer, "Go on?", "Corvel Camera", MB_YESNO);
        order.push_back("inner answered " + std::to_string(answer));
        EXPECT_TRUE(IsWindowEnabled(outer));
        order.push_back("outer ends");
        SendMessage(outer, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    const LONG_PTR result = DialogBoxParam(self(), MAKEINTRESOURCE(IDD_FORM), owner, formProc, 0);
    order.push_back("outer returned " + std::to_string(result));
    EXPECT_EQ(order, (std::vector<std::string>{"outer running", "inner running", "inner answered 7", "outer ends", "outer returned 1"}));
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(automation::findWindow("Form"), nullptr);
    auto boxes = automation::messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Corvel Camera");
    EXPECT_EQ(boxes[0].text, "Go on?");
    EXPECT_EQ(boxes[0].answer, IDNO);
}

TEST_F(DialogTest, QuitEndsTheModalLoopAndReachesTheOuterLoop)
{
    automation::whenIdle([] { PostQuitMessage(5); });
    EXPECT_EQ(DialogBoxParam(self(), MAKEINTRESOURCE(IDD_FORM), nullptr, formProc, 0), IDCANCEL);
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 5u);
}

TEST_F(DialogTest, MessageBoxKeysFollowItsButtons)
{
    // Escape does nothing without a Cancel button, except for OK alone.
    automation::whenIdle([] { automation::pressKey(VK_ESCAPE); });
    automation::whenIdle([] { automation::pressKey('N', {.alt = true}); });
    EXPECT_EQ(MessageBox(nullptr, "Are you sure you want to abort this process?", "Corvel Camera", MB_YESNO), IDNO);
    automation::whenIdle([] { automation::pressKey(VK_ESCAPE); });
    EXPECT_EQ(MessageBox(nullptr, "Saved.", "Corvel Camera", MB_OK), IDOK);
    automation::whenIdle([] { automation::pressKey(VK_ESCAPE); });
    EXPECT_EQ(MessageBox(nullptr, "Refresh?", "Corvel Camera", MB_OKCANCEL), IDCANCEL);
    automation::whenIdle([] { automation::pressKey(VK_RETURN); });
    EXPECT_EQ(MessageBox(nullptr, "Refresh?", "Corvel Camera", MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
}

TEST_F(DialogTest, MessageBoxShowsEveryLineOfItsText)
{
    automation::whenIdle([] {
        HWND box = automation::findWindow("Corvel Camera");
        ASSERT_NE(box, nullptr);
        RECT r;
        GetClientRect(box, &r);
        EXPECT_GT(r.bottom, 60);  // three lines and the button row
        auto image = automation::capture(box);
        ASSERT_TRUE(image);
        int dark = 0;
        for (int y = 0; y < image->height; ++y)
            for (int x = 0; x < image->width; ++x)
                dark += image->at(x, y) == RGB(0, 0, 0);
        EXPECT_GT(dark, 30);  // text was drawn
        automation::pressKey(VK_RETURN);
    });
    EXPECT_EQ(MessageBox(nullptr, "Connection failed.\nPlease check that\n1) The camera is on", "Corvel Camera", MB_OK),
              IDOK);
}

}  // namespace
}  // namespace qm::ui::test
