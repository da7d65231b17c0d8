// Cursors, activation, modal owners, the wheel, key state and clipping.
#include "platform/ui/message/queue.h"
#include "tests/platform/ui/ui_test_support.h"

namespace qm::ui::test {
namespace {

class InputTest : public UiTest {};

LRESULT busyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Recorder::log().push_back({hwnd, message, wParam, lParam});
    if (message == WM_SETCURSOR) {
        // As the panel's busy cursor does: the parent decides for its children.
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
        return TRUE;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

TEST_F(InputTest, CursorComesFromTheParentFirstThenTheClass)
{
    HWND parent = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 200, 200});
    HWND edit = CreateWindowEx(0, "Edit", "", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20, parent, 1, nullptr, nullptr);
    automation::moveMouseTo(edit, {5, 5});
    automation::pumpPending();
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_IBEAM));  // the edit class's cursor
    WNDCLASS wc;
    wc.lpfnWndProc = busyProc;
    wc.lpszClassName = "QmBusyParent";
    RegisterClass(&wc);
    HWND busy = CreateWindowEx(0, "QmBusyParent", "", WS_POPUP | WS_VISIBLE, 300, 0, 200, 200, nullptr, 0, nullptr,
                               nullptr);
    HWND child = CreateWindowEx(0, "Edit", "", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20, busy, 1, nullptr, nullptr);
    automation::moveMouseTo(child, {5, 5});
    automation::pumpPending();
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_WAIT));
    auto setCursors = Recorder::only(WM_SETCURSOR);
    ASSERT_FALSE(setCursors.empty());
    EXPECT_EQ(reinterpret_cast<HWND>(setCursors.back().wParam), child);  // says which window the pointer is over
    EXPECT_EQ(LOWORD(std::uintptr_t(setCursors.back().lParam)), HTCLIENT);
    EXPECT_EQ(HIWORD(std::uintptr_t(setCursors.back().lParam)), WM_MOUSEMOVE);
}

TEST_F(InputTest, ClickingActivatesAndRaisesAWindow)
{
    HWND a = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    HWND b = Recorder::create(WS_POPUP | WS_VISIBLE, {50, 50, 150, 150});
    EXPECT_EQ(GetActiveWindow(), b);
    Recorder::log().clear();
    automation::clickAt(a, {10, 10});
    automation::pumpPending();
    EXPECT_EQ(GetActiveWindow(), a);
    EXPECT_EQ(automation::topLevelWindows().front(), a);
    auto activations = Recorder::only(WM_ACTIVATE);
    ASSERT_EQ(activations.size(), 2u);
    EXPECT_EQ(activations[0].hwnd, b);
    EXPECT_EQ(LOWORD(activations[0].wParam), WA_INACTIVE);
    EXPECT_EQ(activations[1].hwnd, a);
    EXPECT_EQ(LOWORD(activations[1].wParam), WA_CLICKACTIVE);
    EXPECT_EQ(GetFocus(), a);
}

TEST_F(InputTest, ADisabledOwnerIgnoresThePointer)
{
    HWND owner = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    EnableWindow(owner, FALSE);
    Recorder::log().clear();
    automation::clickAt(owner, {10, 10});
    automation::pumpPending();
    EXPECT_TRUE(Recorder::only(WM_LBUTTONDOWN).empty());
    POINT p{10, 10};
    ClientToScreen(owner, &p);
    EXPECT_EQ(WindowFromPoint(p), nullptr);
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
}

TEST_F(InputTest, KeyStateMatchesTheMessageBeingHandled)
{
    HWND w = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    SetFocus(w);
    automation::pressKey('A', {.shift = true});
    automation::pressKey('B');
    MSG msg;
    std::vector<std::pair<UINT, bool>> seen;  // key, shift down while it arrived
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_KEYDOWN)
            seen.emplace_back(UINT(msg.wParam), GetKeyState(VK_SHIFT) < 0);
        DispatchMessage(&msg);
    }
    EXPECT_EQ(seen, (std::vector<std::pair<UINT, bool>>{{VK_SHIFT, true}, {'A', true}, {'B', false}}));
}

TEST_F(InputTest, WheelGoesToTheFocus)
{
    HWND w = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    HWND other = Recorder::create(WS_POPUP | WS_VISIBLE, {200, 0, 300, 100});
    SetFocus(w);
    detail::RawInput wheel;
    wheel.kind = detail::RawInput::Kind::Wheel;
    POINT p{10, 10};
    ClientToScreen(other, &p);
    wheel.screen = p;
    wheel.wheelDelta = -120;
    detail::messageQueue().pushInput(wheel);
    Recorder::log().clear();
    automation::pumpPending();
    auto wheels = Recorder::only(WM_MOUSEWHEEL);
    ASSERT_EQ(wheels.size(), 1u);
    EXPECT_EQ(wheels[0].hwnd, w);
    EXPECT_EQ(short(HIWORD(wheels[0].wParam)), -120);
}

TEST_F(InputTest, TopmostWindowsStayAboveOthers)
{
    Recorder::registerClass();
    HWND topmost = CreateWindowEx(WS_EX_TOPMOST, Recorder::kClass, "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, 0,
                                  nullptr, nullptr);
    HWND normal = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 50, 50});
    SetActiveWindow(normal);
    EXPECT_EQ(automation::topLevelWindows().front(), topmost);
    SetWindowPos(topmost, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetActiveWindow(normal);
    EXPECT_EQ(automation::topLevelWindows().front(), normal);
}

TEST_F(InputTest, ClipChildrenKeepsAParentOffItsChildren)
{
    HWND parent = Recorder::create(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, {0, 0, 100, 100});
    HWND child = Recorder::create(WS_CHILD | WS_VISIBLE, {10, 10, 30, 30}, parent, 1);
    automation::pumpPending();
    HDC cdc = GetDC(child);
    RECT all{0, 0, 20, 20};
    FillRect(cdc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(child, cdc);
    HDC pdc = GetDC(parent);
    RECT whole{0, 0, 100, 100};
    FillRect(pdc, &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(parent, pdc);
    EXPECT_EQ(automation::pixelAt(parent, 15, 15), RGB(0, 0, 0));  // the child's pixels stay
    EXPECT_EQ(automation::pixelAt(parent, 5, 5), RGB(255, 255, 255));
    // Invalidating such a parent leaves its children alone.
    automation::pumpPending();
    Recorder::log().clear();
    InvalidateRect(parent, nullptr, FALSE);
    automation::pumpPending();
    for (const Logged& l : Recorder::only(WM_PAINT))
        EXPECT_EQ(l.hwnd, parent);
}

TEST_F(InputTest, HiddenWindowsAreNotPaintedUntilShown)
{
    HWND w = Recorder::create(WS_POPUP, {0, 0, 50, 50});
    InvalidateRect(w, nullptr, TRUE);
    automation::pumpPending();
    EXPECT_TRUE(Recorder::only(WM_PAINT).empty());
    ShowWindow(w, SW_SHOWNA);
    automation::pumpPending();
    EXPECT_EQ(Recorder::only(WM_PAINT).size(), 1u);
    EXPECT_NE(GetActiveWindow(), w);  // shown without activation
}

}  // namespace
}  // namespace qm::ui::test
