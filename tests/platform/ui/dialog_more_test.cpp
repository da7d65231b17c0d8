// More dialog behaviour: default buttons, closing, ending early, child
// dialogs, refused templates and edit styles.
#include "platform/ui/controls/control_styles.h"
#include "platform/ui/resource/resource.h"
#include "tests/platform/ui/resources/test_resource.h"
#include "tests/platform/ui/ui_test_support.h"

namespace qm::ui::test {
namespace {

HINSTANCE self() { return instanceOf(reinterpret_cast<const void*>(&self)); }

std::vector<int>* commands = nullptr;
bool endInInit = false;

LONG_PTR recordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        if (endInInit)
            EndDialog(dialog, 42);
        return TRUE;
    }
    if (message == WM_COMMAND && commands && HIWORD(wParam) == BN_CLICKED)
        commands->push_back(LOWORD(wParam));
    return FALSE;
}

DialogTemplate smallTemplate(DWORD style = WS_POPUP | WS_CAPTION)
{
    DialogTemplate t;
    t.style = style;
    t.caption = "Small";
    t.cx = 100;
    t.cy = 60;
    DialogItem edit;
    edit.className = "Edit";
    edit.style = WS_VISIBLE | WS_TABSTOP | ES_NUMBER;
    edit.id = 10;
    edit.cx = 40;
    edit.cy = 12;
    t.items.push_back(edit);
    DialogItem ok;
    ok.className = "Button";
    ok.text = "OK";
    ok.style = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
    ok.id = IDOK;
    ok.y = 20;
    ok.cx = 40;
    ok.cy = 14;
    t.items.push_back(ok);
    DialogItem other = ok;
    other.id = 11;
    other.text = "Other";
    other.x = 50;
    t.items.push_back(other);
    return t;
}

class DialogMoreTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        commands = &log;
        endInInit = false;
    }
    void TearDown() override
    {
        commands = nullptr;
        UiTest::TearDown();
    }
    std::vector<int> log;
};

TEST_F(DialogMoreTest, DefaultButtonCanBeChangedAndEnterFollowsIt)
{
    HWND d = CreateDialogIndirectParam(nullptr, smallTemplate(), nullptr, recordingProc, 0);
    ShowWindow(d, SW_SHOW);
    EXPECT_EQ(LOWORD(std::uintptr_t(SendMessage(d, DM_GETDEFID, 0, 0))), IDOK);
    SendMessage(d, DM_SETDEFID, 11, 0);
    EXPECT_EQ(LOWORD(std::uintptr_t(SendMessage(d, DM_GETDEFID, 0, 0))), 11);
    EXPECT_EQ(GetWindowLongPtr(GetDlgItem(d, 11), GWL_STYLE) & LONG_PTR(BS_TYPEMASK), LONG_PTR(BS_DEFPUSHBUTTON));
    SetFocus(GetDlgItem(d, 10));
    automation::pressKey(VK_RETURN);
    automation::pumpPending();
    EXPECT_EQ(log, (std::vector<int>{11}));
}

TEST_F(DialogMoreTest, ClosingADialogIsCancel)
{
    HWND d = CreateDialogIndirectParam(nullptr, smallTemplate(), nullptr, recordingProc, 0);
    SendMessage(d, WM_CLOSE, 0, 0);
    EXPECT_EQ(log, (std::vector<int>{IDCANCEL}));
    EXPECT_TRUE(IsWindow(d));  // the dialog procedure decides what Cancel does
}

TEST_F(DialogMoreTest, EndingDuringInitialisationSkipsTheLoop)
{
    endInInit = true;
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, smallTemplate(), nullptr, recordingProc, 0), 42);
    EXPECT_TRUE(automation::topLevelWindows().empty());
}

TEST_F(DialogMoreTest, TemplatesWithUnknownControlsOrIdsAreRefused)
{
    DialogTemplate t = smallTemplate();
    t.items[1].className = "NoSuchControl";
    EXPECT_EQ(CreateDialogIndirectParam(nullptr, t, nullptr, recordingProc, 0), nullptr);
    EXPECT_TRUE(automation::topLevelWindows().empty());
    EXPECT_EQ(DialogBoxParam(self(), MAKEINTRESOURCE(9999), nullptr, recordingProc, 0), -1);
    EXPECT_EQ(CreateDialogParam(self(), MAKEINTRESOURCE(9999), nullptr, recordingProc, 0), nullptr);
}

TEST_F(DialogMoreTest, ChildDialogsLiveInsideTheirParent)
{
    HWND host = Recorder::create(WS_POPUP | WS_VISIBLE, {100, 100, 400, 300});
    HWND child = CreateDialogIndirectParam(nullptr, smallTemplate(WS_CHILD | WS_VISIBLE), host, recordingProc, 0);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetParent(child), host);
    EXPECT_TRUE(IsWindowVisible(child));
    // Keys for the host's other windows are not the child dialog's business.
    MSG msg{host, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_FALSE(IsDialogMessage(child, &msg));
    EXPECT_EQ(GetNextDlgTabItem(child, GetDlgItem(child, 11), FALSE), GetDlgItem(child, 10));  // wraps
    EXPECT_EQ(GetNextDlgTabItem(child, GetDlgItem(child, 10), TRUE), GetDlgItem(child, 11));
}

TEST_F(DialogMoreTest, EditStylesShapeWhatIsTyped)
{
    HWND d = CreateDialogIndirectParam(nullptr, smallTemplate(), nullptr, recordingProc, 0);
    ShowWindow(d, SW_SHOW);
    HWND number = GetDlgItem(d, 10);
    SetFocus(number);
    automation::typeText("4a2");
    automation::pumpPending();
    EXPECT_EQ(getWindowText(number), "42");  // ES_NUMBER takes digits only
    HWND upper = CreateWindowEx(0, "Edit", "", WS_CHILD | WS_VISIBLE | ES_UPPERCASE, 0, 40, 80, 12, d, 20, nullptr,
                                nullptr);
    SetFocus(upper);
    automation::typeText("img");
    automation::pumpPending();
    EXPECT_EQ(getWindowText(upper), "IMG");
    HWND secret = CreateWindowEx(0, "Edit", "", WS_CHILD | WS_VISIBLE | ES_PASSWORD, 0, 60, 80, 12, d, 21, nullptr,
                                 nullptr);
    SetWindowText(secret, "key");
    EXPECT_EQ(getWindowText(secret), "key");  // the text stays; only the drawing hides it
}

TEST_F(DialogMoreTest, DialogItemHelpersHandleMissingItems)
{
    HWND d = CreateDialogIndirectParam(nullptr, smallTemplate(), nullptr, recordingProc, 0);
    char buffer[8];
    EXPECT_EQ(GetDlgItemText(d, 999, buffer, sizeof buffer), 0u);
    EXPECT_STREQ(buffer, "");
    EXPECT_FALSE(SetDlgItemText(d, 999, "x"));
    BOOL ok = TRUE;
    EXPECT_EQ(GetDlgItemInt(d, 999, &ok, FALSE), 0u);
    EXPECT_FALSE(ok);
    SetDlgItemInt(d, 10, 4294967295u, FALSE);
    EXPECT_EQ(GetDlgItemInt(d, 10, &ok, FALSE), 4294967295u);
    EXPECT_TRUE(ok);
    SetDlgItemText(d, 10, "4294967296");  // one past the largest
    EXPECT_EQ(GetDlgItemInt(d, 10, &ok, FALSE), 0u);
    EXPECT_FALSE(ok);
    EXPECT_EQ(SendDlgItemMessage(d, 999, WM_GETTEXTLENGTH, 0, 0), 0);
}

}  // namespace
}  // namespace qm::ui::test
