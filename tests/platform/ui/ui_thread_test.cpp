// A host that never pumps: module code shows a window, and the platform's
// UI thread handles its messages. This runs in a process of its own because
// a host that pumps cannot be taken back.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "platform/system/threads.h"
#include "platform/ui/message/message.h"
#include "platform/ui/thread/ui_thread.h"
#include "platform/ui/window/window.h"

namespace qm::ui {
namespace {

std::promise<std::thread::id>* handled = nullptr;

LRESULT moduleWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER && handled) {
        handled->set_value(std::this_thread::get_id());
        handled = nullptr;
        return 0;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

TEST(UiThread, PumpsForAHostThatDoesNot)
{
    std::promise<std::thread::id> seen;
    auto handledOn = seen.get_future();
    {
        // As a module entry (DS_Entry) does on the application's thread.
        qm::sys::ModuleEntryGuard entry;
        EXPECT_FALSE(uiThreadRunning());  // nothing started before a window shows
        WNDCLASS wc;
        wc.lpfnWndProc = moduleWindowProc;
        wc.lpszClassName = "QmModuleWindow";
        ASSERT_NE(RegisterClass(&wc), 0);
        HWND hwnd = CreateWindowEx(0, "QmModuleWindow", "panel", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, 0,
                                   nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
        EXPECT_TRUE(uiThreadRunning());
        handled = &seen;
        PostMessage(hwnd, WM_USER, 0, 0);
    }
    // The application now waits, as on a semaphore; the message is handled.
    ASSERT_EQ(handledOn.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_NE(handledOn.get(), std::this_thread::get_id());
}

}  // namespace
}  // namespace qm::ui
