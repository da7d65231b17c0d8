// The window tree and its data, window classes, help windows and the odd
// corners of the message loop.
#include <stdexcept>

#include "platform/system/timing.h"
#include "platform/ui/help/help.h"
#include "tests/platform/ui/ui_test_support.h"
#include "tests/support/temp_dir.h"

namespace qm::ui::test {
namespace {

class TreeTest : public UiTest {};

TEST_F(TreeTest, SiblingOrderIsCreationOrderFromTheTop)
{
    HWND parent = Recorder::create(WS_POPUP, {0, 0, 100, 100});
    HWND a = Recorder::create(WS_CHILD, {0, 0, 10, 10}, parent, 1);
    HWND b = Recorder::create(WS_CHILD, {0, 0, 10, 10}, parent, 2);
    HWND c = Recorder::create(WS_CHILD, {0, 0, 10, 10}, parent, 3);
    EXPECT_EQ(GetWindow(parent, GW_CHILD), a);
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
    EXPECT_EQ(GetWindow(c, GW_HWNDPREV), b);
    EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), nullptr);
    SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(parent, GW_CHILD), c);
    SetWindowPos(c, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(a, GW_HWNDLAST), c);
    EXPECT_EQ(GetDlgItem(parent, 2), b);
    EXPECT_EQ(GetDlgCtrlID(b), 2);
    EXPECT_EQ(GetDlgItem(parent, 99), nullptr);
    EXPECT_TRUE(IsChild(parent, b));
    EXPECT_FALSE(IsChild(b, parent));
    EXPECT_EQ(GetAncestor(b, GA_ROOT), parent);
}

TEST_F(TreeTest, ReparentingMovesAWindowAndRefusesCycles)
{
    HWND p1 = Recorder::create(WS_POPUP, {0, 0, 100, 100});
    HWND p2 = Recorder::create(WS_POPUP, {0, 0, 100, 100});
    HWND child = Recorder::create(WS_CHILD, {0, 0, 10, 10}, p1, 1);
    HWND grandchild = Recorder::create(WS_CHILD, {0, 0, 5, 5}, child, 2);
    EXPECT_EQ(SetParent(child, p2), p1);
    EXPECT_EQ(GetParent(child), p2);
    EXPECT_EQ(GetWindow(p1, GW_CHILD), nullptr);
    EXPECT_EQ(SetParent(child, grandchild), nullptr);  // no window inside itself
    DestroyWindow(p2);
    EXPECT_FALSE(IsWindow(grandchild));
}

TEST_F(TreeTest, WindowDataStylesAndProperties)
{
    WNDCLASS wc;
    wc.lpfnWndProc = DefWindowProc;
    wc.cbWndExtra = 2 * int(sizeof(LONG_PTR));
    wc.lpszClassName = "QmExtraWords";
    ASSERT_NE(RegisterClass(&wc), 0);
    EXPECT_EQ(RegisterClass(&wc), 0);  // once per name
    HWND w = CreateWindowEx(0, "qmextrawords", "x", WS_POPUP, 0, 0, 10, 10, nullptr, 0, nullptr, nullptr);
    ASSERT_NE(w, nullptr);  // class names ignore case
    EXPECT_EQ(SetWindowLongPtr(w, int(sizeof(LONG_PTR)), 77), 0);
    EXPECT_EQ(GetWindowLongPtr(w, int(sizeof(LONG_PTR))), 77);
    EXPECT_EQ(SetWindowLongPtr(w, 2 * int(sizeof(LONG_PTR)), 5), 0);  // past the extra words
    SetWindowLongPtr(w, GWL_STYLE, LONG_PTR(WS_POPUP | WS_VISIBLE | WS_BORDER));
    EXPECT_FALSE(IsWindowVisible(w));  // visibility changes through ShowWindow only
    EXPECT_NE(GetWindowLongPtr(w, GWL_STYLE) & LONG_PTR(WS_BORDER), 0);
    int marker = 0;
    EXPECT_TRUE(SetProp(w, "qm.owner", &marker));
    EXPECT_EQ(GetProp(w, "qm.owner"), &marker);
    EXPECT_EQ(RemoveProp(w, "qm.owner"), &marker);
    EXPECT_EQ(GetProp(w, "qm.owner"), nullptr);
    EXPECT_FALSE(UnregisterClass("QmExtraWords", nullptr));  // a window still uses it
    DestroyWindow(w);
    EXPECT_TRUE(UnregisterClass("QmExtraWords", nullptr));
    EXPECT_EQ(CreateWindowEx(0, "QmExtraWords", "", WS_POPUP, 0, 0, 1, 1, nullptr, 0, nullptr, nullptr), nullptr);
}

TEST_F(TreeTest, ChildWithoutParentAndUnknownClassesAreRefused)
{
    EXPECT_EQ(CreateWindowEx(0, "Static", "", WS_CHILD, 0, 0, 1, 1, nullptr, 0, nullptr, nullptr), nullptr);
    EXPECT_EQ(CreateWindowEx(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, 0, nullptr, nullptr), nullptr);
    HWND bad = reinterpret_cast<HWND>(std::uintptr_t(0xDEAD0));
    EXPECT_EQ(CreateWindowEx(0, "Static", "", WS_CHILD, 0, 0, 1, 1, bad, 0, nullptr, nullptr), nullptr);
    EXPECT_FALSE(IsWindow(bad));
    EXPECT_EQ(SendMessage(bad, WM_USER, 0, 0), 0);
    EXPECT_FALSE(DestroyWindow(bad));
}

TEST_F(TreeTest, CentringKeepsTopLevelWindowsOnTheScreen)
{
    HWND owner = Recorder::create(WS_POPUP | WS_VISIBLE, {900, 600, 1000, 700});
    HWND box = Recorder::create(WS_POPUP, {0, 0, 400, 300}, owner);
    CenterWindow(box, owner);
    RECT r;
    GetWindowRect(box, &r);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(r.right, screenWidth);  // pushed back onto the screen
    EXPECT_EQ(r.bottom, screenHeight);
    CenterWindow(box, nullptr);
    GetWindowRect(box, &r);
    EXPECT_EQ(r.left, (screenWidth - 400) / 2);
    RECT adjusted{0, 0, 100, 50};
    AdjustWindowRectEx(&adjusted, WS_CHILD | WS_BORDER, FALSE, WS_EX_CLIENTEDGE);
    EXPECT_EQ(adjusted, (RECT{-3, -3, 103, 53}));
}

LRESULT throwingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER)
        throw std::runtime_error("a handler failed");
    return DefWindowProc(hwnd, message, wParam, lParam);
}

TEST_F(TreeTest, ExceptionsStayInsideTheWindowProcedure)
{
    WNDCLASS wc;
    wc.lpfnWndProc = throwingProc;
    wc.lpszClassName = "QmThrowing";
    RegisterClass(&wc);
    HWND w = CreateWindowEx(0, "QmThrowing", "", WS_POPUP, 0, 0, 10, 10, nullptr, 0, nullptr, nullptr);
    EXPECT_EQ(SendMessage(w, WM_USER, 0, 0), 0);
    PostMessage(w, WM_USER, 0, 0);
    EXPECT_TRUE(automation::pumpPending());
    EXPECT_TRUE(IsWindow(w));
}

TEST_F(TreeTest, FilteredRetrievalSeesTheWindowAndItsChildrenOnly)
{
    HWND a = Recorder::create(WS_POPUP, {0, 0, 10, 10});
    HWND child = Recorder::create(WS_CHILD, {0, 0, 5, 5}, a, 1);
    HWND b = Recorder::create(WS_POPUP, {0, 0, 10, 10});
    PostMessage(b, WM_USER, 1, 0);
    PostMessage(child, WM_USER, 2, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, a, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, child);
    EXPECT_FALSE(PeekMessage(&msg, a, 0, 0, PM_REMOVE));
    ASSERT_TRUE(PeekMessage(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE));
    EXPECT_EQ(msg.hwnd, b);
    EXPECT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));  // still there after PM_NOREMOVE
    EXPECT_EQ(GetMessage(&msg, reinterpret_cast<HWND>(std::uintptr_t(0xDEAD0)), 0, 0), -1);
    // A message for a window that went away is dropped quietly.
    PostMessage(b, WM_USER, 3, 0);
    DestroyWindow(b);
    Recorder::log().clear();
    automation::pumpPending();
    EXPECT_TRUE(Recorder::only(WM_USER).empty());
}

TEST_F(TreeTest, WaitMessageReturnsHeadlessEvenWithNothingToWaitFor)
{
    EXPECT_TRUE(WaitMessage());
    HWND w = Recorder::create(WS_POPUP, {0, 0, 10, 10});
    PostMessage(w, WM_USER, 0, 0);
    EXPECT_TRUE(WaitMessage());
    MSG msg;
    EXPECT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));  // the wait took nothing
}

TEST_F(TreeTest, VirtualSystemClockMakesSleepInstant)
{
    automation::useVirtualSystemClock(true);
    const auto before = qm::sys::GetTickCount();
    qm::sys::Sleep(5000);  // the panel's wait before reconnecting
    EXPECT_EQ(qm::sys::GetTickCount() - before, 5000u);
    EXPECT_EQ(automation::clockNow(), qm::sys::GetTickCount());
    automation::useVirtualSystemClock(false);
}

TEST_F(TreeTest, HelpShowsTheModulesTextAndQuits)
{
    qm::test::TempDir dir;
    qm::test::writeTextFile(dir.file("Vantrel.txt"), "Corvel Camera help\r\nConnect first.\n");
    const std::string hlp = dir.file("Vantrel.hlp");
    ASSERT_TRUE(WinHelp(nullptr, hlp.c_str(), HELP_CONTENTS, 0));
    HWND help = automation::findWindow("Vantrel Help");
    ASSERT_NE(help, nullptr);
    HWND text = GetDlgItem(help, 100);
    EXPECT_EQ(SendMessage(text, 0x018B /* LB_GETCOUNT */, 0, 0), 2);
    EXPECT_TRUE(WinHelp(nullptr, hlp.c_str(), HELP_CONTENTS, 0));  // brought forward, not opened twice
    EXPECT_EQ(automation::topLevelWindows().size(), 1u);
    WinHelp(nullptr, nullptr, HELP_QUIT, 0);
    EXPECT_FALSE(IsWindow(help));
    automation::answerNextMessageBox(IDOK);
    EXPECT_FALSE(WinHelp(nullptr, dir.file("missing.hlp").c_str(), HELP_CONTENTS, 0));
    ASSERT_EQ(automation::messageBoxes().size(), 1u);
    EXPECT_NE(automation::messageBoxes()[0].text.find("missing.hlp"), std::string::npos);
}

}  // namespace
}  // namespace qm::ui::test
