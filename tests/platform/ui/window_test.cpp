// The window system: message order, paint coalescing, timers, capture and
// focus, hit-testing.
#include "tests/platform/ui/ui_test_support.h"

namespace qm::ui::test {
namespace {

using automation::pumpPending;

class WindowTest : public UiTest {};

TEST_F(WindowTest, CreationSendsMessagesInPlatformOrder)
{
    HWND w = Recorder::create(WS_POPUP | WS_VISIBLE, {10, 10, 110, 60});
    ASSERT_TRUE(IsWindow(w));
    auto seq = Recorder::sequence(w, {WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW, WM_ACTIVATE, WM_SETFOCUS});
    std::vector<UINT> expected{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW, WM_ACTIVATE, WM_SETFOCUS};
    EXPECT_EQ(seq, expected);
    Recorder::log().clear();
    DestroyWindow(w);
    EXPECT_EQ(Recorder::sequence(w, {WM_KILLFOCUS, WM_DESTROY, WM_NCDESTROY}),
              (std::vector<UINT>{WM_DESTROY, WM_KILLFOCUS, WM_NCDESTROY}));
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(WindowTest, ChildrenAreDestroyedAfterTheirParentHearsOfIt)
{
    HWND parent = Recorder::create(WS_POPUP, {0, 0, 100, 100});
    HWND child = Recorder::create(WS_CHILD, {0, 0, 10, 10}, parent, 5);
    Recorder::log().clear();
    DestroyWindow(parent);
    std::vector<std::pair<HWND, UINT>> order;
    for (const Logged& l : Recorder::log())
        if (l.message == WM_DESTROY || l.message == WM_NCDESTROY)
            order.emplace_back(l.hwnd, l.message);
    std::vector<std::pair<HWND, UINT>> expected{
        {parent, WM_DESTROY}, {child, WM_DESTROY}, {child, WM_NCDESTROY}, {parent, WM_NCDESTROY}};
    EXPECT_EQ(order, expected);
    EXPECT_FALSE(IsWindow(child));
}

TEST_F(WindowTest, PostedMessagesComeBeforePaintAndTimersAndKeepTheirOrder)
{
    HWND w = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 50, 50});
    pumpPending();
    SetTimer(w, 7, 10, nullptr);
    InvalidateRect(w, nullptr, TRUE);
    PostMessage(w, WM_USER + 1, 1, 0);
    PostMessage(w, WM_USER + 2, 2, 0);
    automation::advanceClock(10);
    std::vector<UINT> got;
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        got.push_back(msg.message);
        DispatchMessage(&msg);
        if (got.size() > 10)
            break;
    }
    EXPECT_EQ(got, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_PAINT, WM_TIMER}));
    KillTimer(w, 7);
}

TEST_F(WindowTest, InvalidationsCoalesceIntoOnePaint)
{
    HWND w = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    pumpPending();
    Recorder::log().clear();
    RECT a{0, 0, 10, 10}, b{50, 50, 60, 60};
    InvalidateRect(w, &a, FALSE);
    InvalidateRect(w, &b, FALSE);
    InvalidateRect(w, &a, FALSE);
    RECT update;
    ASSERT_TRUE(GetUpdateRect(w, &update, FALSE));
    EXPECT_EQ(update, (RECT{0, 0, 60, 60}));
    pumpPending();
    EXPECT_EQ(Recorder::only(WM_PAINT).size(), 1u);
    EXPECT_TRUE(Recorder::only(WM_ERASEBKGND).empty());  // nobody asked for erasing
}

TEST_F(WindowTest, ValidatedAreaIsNotPaintedAndUpdateWindowPaintsAtOnce)
{
    HWND w = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    pumpPending();
    Recorder::log().clear();
    InvalidateRect(w, nullptr, TRUE);
    ValidateRect(w, nullptr);
    pumpPending();
    EXPECT_TRUE(Recorder::only(WM_PAINT).empty());

    InvalidateRect(w, nullptr, TRUE);
    UpdateWindow(w);  // synchronous, no loop needed
    EXPECT_EQ(Recorder::only(WM_PAINT).size(), 1u);
    EXPECT_EQ(Recorder::only(WM_ERASEBKGND).size(), 1u);
    MSG msg;
    EXPECT_FALSE(PeekMessage(&msg, w, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

TEST_F(WindowTest, RedrawWithoutEraseSkipsBackgroundAndPaintsChildrenAfterParent)
{
    HWND parent = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    HWND child = Recorder::create(WS_CHILD | WS_VISIBLE, {10, 10, 30, 30}, parent, 1);
    pumpPending();
    Recorder::log().clear();
    RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    std::vector<HWND> painted;
    for (const Logged& l : Recorder::only(WM_PAINT))
        painted.push_back(l.hwnd);
    EXPECT_EQ(painted, (std::vector<HWND>{parent, child}));
    EXPECT_TRUE(Recorder::only(WM_ERASEBKGND).empty());
}

TEST_F(WindowTest, HidingAChildRepaintsWhatWasUnderIt)
{
    HWND parent = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    HWND child = Recorder::create(WS_CHILD | WS_VISIBLE, {10, 10, 30, 30}, parent, 1);
    pumpPending();
    ShowWindow(child, SW_HIDE);
    RECT update;
    ASSERT_TRUE(GetUpdateRect(parent, &update, FALSE));
    EXPECT_EQ(update, (RECT{10, 10, 30, 30}));
}

TEST_F(WindowTest, TimersFireOnlyWhenTheVirtualClockReachesThem)
{
    HWND w = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 50, 50});
    pumpPending();
    Recorder::log().clear();
    ASSERT_EQ(SetTimer(w, 1001, 150, nullptr), 1001u);
    automation::runFor(149);
    EXPECT_TRUE(Recorder::only(WM_TIMER).empty());
    automation::runFor(1);
    ASSERT_EQ(Recorder::only(WM_TIMER).size(), 1u);
    EXPECT_EQ(Recorder::only(WM_TIMER)[0].wParam, 1001u);
    automation::runFor(450);
    EXPECT_EQ(Recorder::only(WM_TIMER).size(), 4u);
    // A loop that falls behind sees one tick, not a backlog.
    automation::advanceClock(1000);
    pumpPending();
    EXPECT_EQ(Recorder::only(WM_TIMER).size(), 5u);
    EXPECT_TRUE(KillTimer(w, 1001));
    automation::runFor(1000);
    EXPECT_EQ(Recorder::only(WM_TIMER).size(), 5u);
    EXPECT_FALSE(KillTimer(w, 1001));
}

TEST_F(WindowTest, TimersOfADestroyedWindowStop)
{
    HWND w = Recorder::create(WS_POPUP, {0, 0, 50, 50});
    SetTimer(w, 3, 10, nullptr);
    DestroyWindow(w);
    Recorder::log().clear();
    automation::runFor(100);
    EXPECT_TRUE(Recorder::only(WM_TIMER).empty());
}

int timerProcCalls = 0;
void countingTimerProc(HWND, UINT, UINT_PTR, DWORD) { ++timerProcCalls; }

TEST_F(WindowTest, ThreadTimerCallsItsProcedure)
{
    timerProcCalls = 0;
    UINT_PTR id = SetTimer(nullptr, 0, 100, countingTimerProc);
    ASSERT_NE(id, 0u);
    automation::runFor(250);
    EXPECT_EQ(timerProcCalls, 2);
    KillTimer(nullptr, id);
}

TEST_F(WindowTest, ClickGoesToTheControlUnderThePointerWithKeyFlags)
{
    HWND parent = Recorder::create(WS_POPUP | WS_VISIBLE, {100, 100, 300, 300});
    HWND child = Recorder::create(WS_CHILD | WS_VISIBLE, {20, 30, 60, 70}, parent, 9);
    pumpPending();
    Recorder::log().clear();
    automation::clickAt(parent, {25, 35}, {.shift = true, .control = true});
    pumpPending();
    auto downs = Recorder::only(WM_LBUTTONDOWN);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].hwnd, child);
    EXPECT_EQ(GET_X_LPARAM(downs[0].lParam), 5);
    EXPECT_EQ(GET_Y_LPARAM(downs[0].lParam), 5);
    EXPECT_EQ(downs[0].wParam, MK_LBUTTON | MK_SHIFT | MK_CONTROL);
    // WM_SETCURSOR reaches the window under the pointer first.
    auto seq = Recorder::sequence(child, {WM_SETCURSOR, WM_LBUTTONDOWN, WM_LBUTTONUP});
    EXPECT_EQ(seq, (std::vector<UINT>{WM_SETCURSOR, WM_SETCURSOR, WM_LBUTTONDOWN, WM_SETCURSOR, WM_LBUTTONUP}));
}

TEST_F(WindowTest, DoubleClickNeedsTheClassStyleAndTheSameSpot)
{
    HWND w = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    pumpPending();
    Recorder::log().clear();
    automation::doubleClickAt(w, {10, 10}, {}, automation::Button::Right);
    pumpPending();
    EXPECT_EQ(Recorder::sequence(w, {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK}),
              (std::vector<UINT>{WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, WM_RBUTTONUP}));
    // Two single clicks stay single clicks.
    Recorder::log().clear();
    automation::clickAt(w, {10, 10});
    automation::clickAt(w, {10, 10});
    pumpPending();
    EXPECT_EQ(Recorder::only(WM_LBUTTONDOWN).size(), 2u);
    EXPECT_TRUE(Recorder::only(WM_LBUTTONDBLCLK).empty());
}

TEST_F(WindowTest, CaptureKeepsThePointerUntilReleased)
{
    HWND a = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    HWND b = Recorder::create(WS_POPUP | WS_VISIBLE, {200, 0, 300, 100});
    pumpPending();
    SetCapture(a);
    Recorder::log().clear();
    automation::moveMouseTo(b, {10, 10});
    pumpPending();
    auto moves = Recorder::only(WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].hwnd, a);
    EXPECT_EQ(GET_X_LPARAM(moves[0].lParam), 210);  // in a's coordinates
    EXPECT_TRUE(Recorder::only(WM_SETCURSOR).empty());  // none while captured
    ReleaseCapture();
    ASSERT_EQ(Recorder::only(WM_CAPTURECHANGED).size(), 1u);
    Recorder::log().clear();
    automation::moveMouseTo(b, {11, 11});
    pumpPending();
    EXPECT_EQ(Recorder::only(WM_MOUSEMOVE).at(0).hwnd, b);
}

TEST_F(WindowTest, DisabledWindowsTakeNeitherFocusNorPointer)
{
    HWND parent = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    HWND child = Recorder::create(WS_CHILD | WS_VISIBLE, {0, 0, 50, 50}, parent, 1);
    pumpPending();
    SetFocus(child);
    ASSERT_EQ(GetFocus(), child);
    EnableWindow(child, FALSE);
    EXPECT_EQ(GetFocus(), nullptr);  // disabling took the focus away
    EXPECT_EQ(SetFocus(child), nullptr);
    EXPECT_NE(GetFocus(), child);
    EXPECT_EQ(Recorder::sequence(child, {WM_ENABLE}).size(), 1u);
    Recorder::log().clear();
    automation::clickAt(parent, {10, 10});
    pumpPending();
    auto downs = Recorder::only(WM_LBUTTONDOWN);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].hwnd, parent);  // the parent gets what the disabled child cannot
}

TEST_F(WindowTest, FocusMovesWithKillBeforeSetAndFollowsHiding)
{
    HWND parent = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    HWND a = Recorder::create(WS_CHILD | WS_VISIBLE, {0, 0, 10, 10}, parent, 1);
    HWND b = Recorder::create(WS_CHILD | WS_VISIBLE, {20, 0, 30, 10}, parent, 2);
    SetFocus(a);
    Recorder::log().clear();
    EXPECT_EQ(SetFocus(b), a);
    ASSERT_EQ(Recorder::log().size(), 2u);
    EXPECT_EQ(Recorder::log()[0].hwnd, a);
    EXPECT_EQ(Recorder::log()[0].message, WM_KILLFOCUS);
    EXPECT_EQ(Recorder::log()[1].hwnd, b);
    EXPECT_EQ(Recorder::log()[1].message, WM_SETFOCUS);
    ShowWindow(b, SW_HIDE);
    EXPECT_EQ(GetFocus(), parent);
}

TEST_F(WindowTest, KeysGoToTheFocusAndAltMakesSystemKeys)
{
    HWND w = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    SetFocus(w);
    pumpPending();
    Recorder::log().clear();
    automation::pressKey('A', {.shift = true});
    automation::pressKey('B', {.alt = true});
    pumpPending();
    auto chars = Recorder::only(WM_CHAR);
    ASSERT_EQ(chars.size(), 1u);
    EXPECT_EQ(chars[0].wParam, WPARAM('A'));
    auto sysChars = Recorder::only(WM_SYSCHAR);
    ASSERT_EQ(sysChars.size(), 1u);
    EXPECT_EQ(sysChars[0].wParam, WPARAM('b'));
    EXPECT_EQ(Recorder::only(WM_SYSKEYDOWN).size(), 2u);  // Alt itself and B
}

TEST_F(WindowTest, TransparentAndHiddenWindowsLetThePointerThrough)
{
    HWND parent = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 200, 200});
    HWND below = Recorder::create(WS_CHILD | WS_VISIBLE, {0, 0, 100, 100}, parent, 1);
    HWND group = CreateWindowEx(0, "Button", "group", WS_CHILD | WS_VISIBLE | 0x7 /* group box */, 0, 0, 100, 100,
                                parent, 2, nullptr, nullptr);
    // The group box was created last, so it lies under `below`; lift it.
    SetWindowPos(group, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    POINT p{50, 50};
    ClientToScreen(parent, &p);
    EXPECT_EQ(WindowFromPoint(p), below);
    ShowWindow(below, SW_HIDE);
    EXPECT_EQ(WindowFromPoint(p), parent);
}

TEST_F(WindowTest, CoordinatesAndBorders)
{
    HWND parent = Recorder::create(WS_POPUP | WS_VISIBLE, {100, 50, 300, 250});
    HWND bordered = CreateWindowEx(WS_EX_CLIENTEDGE, Recorder::kClass, "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 20,
                                   40, 30, parent, 3, nullptr, nullptr);
    RECT client;
    GetClientRect(bordered, &client);
    EXPECT_EQ(client, (RECT{0, 0, 34, 24}));  // 1 border + 2 edge on each side
    POINT p{0, 0};
    ClientToScreen(bordered, &p);
    EXPECT_EQ(p, (POINT{113, 73}));
    RECT wr;
    GetWindowRect(bordered, &wr);
    EXPECT_EQ(wr, (RECT{110, 70, 150, 100}));
    MoveWindow(bordered, 0, 0, 60, 60, FALSE);
    GetClientRect(bordered, &client);
    EXPECT_EQ(client.right, 54);
}

TEST_F(WindowTest, RegisteredMessagesAreSharedByName)
{
    const UINT a = RegisterWindowMessage("commdlg_FileNameOK");
    EXPECT_GE(a, WM_REGISTERED_FIRST);
    EXPECT_EQ(RegisterWindowMessage("COMMDLG_FILENAMEOK"), a);
    EXPECT_NE(RegisterWindowMessage("commdlg_LBSelChangedNotify"), a);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

TEST_F(WindowTest, QuitIsSeenAfterPostedMessages)
{
    HWND w = Recorder::create(WS_POPUP, {0, 0, 10, 10});
    PostQuitMessage(3);
    PostMessage(w, WM_USER, 0, 0);
    MSG msg;
    ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.message, WM_USER);
    EXPECT_EQ(GetMessage(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(WindowTest, OwnedWindowsStayAboveTheirOwnerAndGoWithIt)
{
    HWND owner = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    HWND owned = Recorder::create(WS_POPUP | WS_VISIBLE, {10, 10, 50, 50}, owner);
    HWND other = Recorder::create(WS_POPUP | WS_VISIBLE, {200, 200, 250, 250});
    SetActiveWindow(owner);
    auto tops = automation::topLevelWindows();
    ASSERT_EQ(tops.size(), 3u);
    EXPECT_EQ(tops[0], owned);
    EXPECT_EQ(tops[1], owner);
    EXPECT_EQ(GetParent(owned), owner);
    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(owned));
    EXPECT_TRUE(IsWindow(other));
}

}  // namespace
}  // namespace qm::ui::test
