// The class framework: run-time classes, handlers as virtual functions,
// subclassing by id, bitmap buttons, modal dialogs and the pre-translate walk.
#include "platform/ui/framework/afx.h"
#include "tests/platform/ui/resources/test_resource.h"
#include "tests/platform/ui/ui_test_support.h"

namespace qm::ui::test {
namespace {

class CBaseButton : public CButton {
    DECLARE_DYNAMIC(CBaseButton)
};
IMPLEMENT_DYNAMIC(CBaseButton, CButton)

class CClickCounter : public CWnd {
    DECLARE_DYNAMIC(CClickCounter)
public:
    int downs = 0;
    UINT lastFlags = 0;
    CPoint lastPoint;
    int timers = 0;
    int created = 0;

protected:
    int OnCreate(CREATESTRUCT* cs) override
    {
        ++created;
        return CWnd::OnCreate(cs);
    }
    void OnLButtonDown(UINT flags, CPoint point) override
    {
        ++downs;
        lastFlags = flags;
        lastPoint = point;
        CWnd::OnLButtonDown(flags, point);
    }
    void OnTimer(UINT_PTR id) override
    {
        if (id == 1000)
            ++timers;
    }
};
IMPLEMENT_DYNAMIC(CClickCounter, CWnd)

class CFormDialog : public CDialog {
public:
    CFormDialog() : CDialog(IDD_FORM) { m_hResource = instanceOf(reinterpret_cast<const void*>(&IDD_FORM_anchor)); }
    static inline int IDD_FORM_anchor = 0;
    CBitmapButton skin;
    bool swallowKeys = false;
    int swallowed = 0;
    int applied = 0;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        skin.m_hResource = m_hResource;
        skin.SubclassDlgItem(IDC_SKIN, this);
        skin.LoadBitmaps(IDB_SKIN_NORMAL, IDB_SKIN_PRESSED, IDB_SKIN_FOCUS, IDB_SKIN_DISABLED);
        skin.SizeToContent();
        SetDlgItemText(IDC_NAME, "IMG");
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (swallowKeys && msg->message == WM_KEYDOWN) {
            ++swallowed;
            return TRUE;
        }
        return CDialog::PreTranslateMessage(msg);
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        if (LOWORD(wParam) == IDC_APPLY) {
            ++applied;
            return TRUE;
        }
        return CDialog::OnCommand(wParam, lParam);
    }
};

class FrameworkTest : public UiTest {};

TEST_F(FrameworkTest, RuntimeClassesKnowTheirNameAndAncestry)
{
    CBaseButton button;
    EXPECT_STREQ(button.GetRuntimeClass()->m_lpszClassName, "CBaseButton");
    EXPECT_TRUE(button.IsKindOf(RUNTIME_CLASS(CButton)));
    EXPECT_TRUE(button.IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_TRUE(button.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(button.IsKindOf(RUNTIME_CLASS(CDialog)));
    CBitmapButton bitmapButton;
    EXPECT_TRUE(bitmapButton.IsKindOf(RUNTIME_CLASS(CButton)));
    EXPECT_FALSE(bitmapButton.IsKindOf(RUNTIME_CLASS(CBaseButton)));
}

TEST_F(FrameworkTest, HandlersRunFromTheFirstMessageAndTimersAndClicksReachThem)
{
    Recorder::registerClass();
    CClickCounter counter;
    ASSERT_TRUE(counter.CreateEx(0, Recorder::kClass, "counter", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 0));
    EXPECT_EQ(counter.created, 1);
    EXPECT_EQ(CWnd::FromHandlePermanent(counter.m_hWnd), &counter);
    counter.SetTimer(1000, 10);
    automation::runFor(35);
    EXPECT_EQ(counter.timers, 3);
    automation::clickAt(counter.m_hWnd, {7, 9}, {.control = true});
    automation::pumpPending();
    EXPECT_EQ(counter.downs, 1);
    EXPECT_EQ(counter.lastPoint, (POINT{7, 9}));
    EXPECT_EQ(counter.lastFlags, UINT(MK_LBUTTON | MK_CONTROL));
    // Default() still reached the class procedure.
    EXPECT_EQ(Recorder::only(WM_LBUTTONDOWN).size(), 1u);
    HWND hwnd = counter.m_hWnd;
    counter.DestroyWindow();
    EXPECT_EQ(counter.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
}

TEST_F(FrameworkTest, BitmapButtonDrawsTheBitmapOfEachState)
{
    CFormDialog form;
    ASSERT_TRUE(form.Create(IDD_FORM));
    form.ShowWindow(SW_SHOW);
    automation::pumpPending();
    HWND skin = form.skin.m_hWnd;
    RECT r;
    GetClientRect(skin, &r);
    EXPECT_EQ(r.right, 50);  // sized to its bitmap
    EXPECT_EQ(r.bottom, 20);
    SetFocus(form.GetDlgItem(IDC_NAME)->m_hWnd);
    automation::pumpPending();
    EXPECT_EQ(automation::pixelAt(skin, 25, 10), RGB(0, 128, 0));  // normal
    automation::pressButton(skin, {25, 10});
    automation::pumpPending();
    EXPECT_EQ(automation::pixelAt(skin, 25, 10), RGB(128, 0, 0));  // pressed
    automation::releaseButton(skin, {25, 10});
    automation::pumpPending();
    EXPECT_EQ(automation::pixelAt(skin, 25, 10), RGB(0, 0, 128));  // focus
    form.skin.EnableWindow(FALSE);
    automation::pumpPending();
    EXPECT_EQ(automation::pixelAt(skin, 25, 10), RGB(128, 128, 128));  // disabled
    EXPECT_TRUE(form.skin.IsKindOf(RUNTIME_CLASS(CBitmapButton)));
    form.DestroyWindow();
}

TEST_F(FrameworkTest, ModalDialogInitialisesAndEndsWithItsCode)
{
    CFormDialog form;
    std::string nameSeen;
    automation::whenIdle([&] {
        nameSeen = form.GetDlgItemText(IDC_NAME);
        form.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_APPLY, BN_CLICKED), 0);
        automation::pressKey(VK_RETURN);  // the default button: OK
    });
    EXPECT_EQ(form.DoModal(), IDOK);
    EXPECT_EQ(nameSeen, "IMG");
    EXPECT_EQ(form.applied, 1);
    EXPECT_EQ(form.m_hWnd, nullptr);
}

TEST_F(FrameworkTest, PreTranslateSeesKeysBeforeDialogProcessing)
{
    CFormDialog form;
    form.swallowKeys = true;
    ASSERT_TRUE(form.Create(IDD_FORM));
    form.ShowWindow(SW_SHOW);
    automation::pumpPending();
    form.GetDlgItem(IDC_NAME)->SetFocus();
    automation::pressKey(VK_ESCAPE);
    automation::pressKey(VK_TAB);
    automation::pressKey('A', {.alt = true});
    automation::pumpPending();
    EXPECT_EQ(form.swallowed, 2);                     // Escape and Tab never reached the dialog
    EXPECT_TRUE(form.IsWindowVisible());              // so it was not cancelled
    EXPECT_EQ(CWnd::GetFocus(), form.GetDlgItem(IDC_NAME));
    EXPECT_EQ(form.applied, 1);                       // Alt+A is a system key: the mnemonic works
    // The data source's call for its events takes the same path.
    MSG msg{form.GetDlgItem(IDC_NAME)->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    EXPECT_TRUE(IsDialogMessage(form.m_hWnd, &msg));
    EXPECT_EQ(form.swallowed, 3);
    form.DestroyWindow();
}

TEST_F(FrameworkTest, WaitCursorNestsAndRestores)
{
    CWinApp app("Corvel Camera");
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    app.BeginWaitCursor();
    app.BeginWaitCursor();
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_WAIT));
    app.EndWaitCursor();
    SetCursor(LoadCursor(nullptr, IDC_ARROW));  // something else changed it
    app.RestoreWaitCursor();
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_WAIT));
    app.EndWaitCursor();
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
    app.EndWaitCursor();  // one too many changes nothing
    EXPECT_EQ(app.m_nWaitCursorCount, 0);
}

}  // namespace
}  // namespace qm::ui::test
