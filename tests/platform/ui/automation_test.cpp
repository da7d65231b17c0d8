// The automation API itself: finding, capturing, and work from other threads.
#include <future>
#include <thread>

#include "tests/platform/ui/ui_test_support.h"

namespace qm::ui::test {
namespace {

class AutomationTest : public UiTest {};

TEST_F(AutomationTest, FindsVisibleWindowsAndPrefersVisibleControls)
{
    HWND hidden = Recorder::create(WS_POPUP, {0, 0, 10, 10});
    SetWindowText(hidden, "Corvel Camera");
    EXPECT_EQ(automation::findWindow("Corvel Camera"), nullptr);
    HWND shown = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    SetWindowText(shown, "Corvel Camera");
    EXPECT_EQ(automation::findWindow("Corvel Camera"), shown);
    EXPECT_EQ(automation::findWindow("Corvel"), nullptr);  // whole captions only
    HWND inner = Recorder::create(WS_CHILD | WS_VISIBLE, {0, 0, 50, 50}, shown, 5);
    HWND hiddenOk = Recorder::create(WS_CHILD, {0, 0, 10, 10}, inner, 1);
    HWND visibleOk = Recorder::create(WS_CHILD | WS_VISIBLE, {0, 0, 10, 10}, shown, 1);
    EXPECT_EQ(automation::findControl(shown, 1), visibleOk);
    ShowWindow(visibleOk, SW_HIDE);
    HWND found = automation::findControl(shown, 1);
    EXPECT_TRUE(found == visibleOk || found == hiddenOk);
    EXPECT_EQ(automation::findControl(shown, 77), nullptr);
}

TEST_F(AutomationTest, CaptureIncludesTheFrame)
{
    HWND parent = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    Recorder::registerClass();
    HWND bordered = CreateWindowEx(0, Recorder::kClass, "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 30, 20, parent,
                                   1, nullptr, nullptr);
    automation::pumpPending();
    auto image = automation::capture(bordered);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 30);
    EXPECT_EQ(image->height, 20);
    EXPECT_EQ(image->at(0, 0), RGB(0, 0, 0));         // the border
    EXPECT_EQ(image->at(15, 10), RGB(255, 255, 255));  // the class background
    EXPECT_EQ(image->at(99, 99), 0u);                  // outside reads as black
    EXPECT_FALSE(automation::capture(reinterpret_cast<HWND>(std::uintptr_t(0xDEAD0))));
    EXPECT_FALSE(automation::writePng(automation::Image{}, "/nonexistent/x.png"));
}

TEST_F(AutomationTest, OtherThreadsRunWorkOnThePumpingThread)
{
    HWND w = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 10, 10});
    SetWindowText(w, "Target");
    std::promise<std::thread::id> ranOn;
    auto result = ranOn.get_future();
    std::thread other([&] {
        EXPECT_EQ(automation::waitForWindow("Target", 10000), w);
        automation::runOnUiThread([&] { ranOn.set_value(std::this_thread::get_id()); });
        PostMessage(nullptr, WM_APP + 9, 0, 0);
    });
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0) > 0 && msg.message != WM_APP + 9)
        DispatchMessage(&msg);
    other.join();
    EXPECT_EQ(result.get(), std::this_thread::get_id());
    // Nobody pumps: the wait gives up.
    EXPECT_FALSE(automation::runOnUiThread([] {}, 20));
    automation::pumpPending();  // runs the late work harmlessly
}

TEST_F(AutomationTest, RunForStepsThroughEveryTimerInOrder)
{
    HWND w = Recorder::create(WS_POPUP, {0, 0, 10, 10});
    SetTimer(w, 1, 30, nullptr);
    SetTimer(w, 2, 50, nullptr);
    const auto start = automation::clockNow();
    automation::runFor(100);
    EXPECT_EQ(automation::clockNow() - start, 100u);
    std::vector<WPARAM> ids;
    for (const Logged& l : Recorder::only(WM_TIMER))
        ids.push_back(l.wParam);
    EXPECT_EQ(ids, (std::vector<WPARAM>{1, 2, 1, 1, 2}));  // at 30, 50, 60, 90, 100
}

}  // namespace
}  // namespace qm::ui::test
