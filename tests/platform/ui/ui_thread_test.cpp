// A host that never pumps: module code shows a window, and the platform's
// UI thread handles its messages. These run in processes of their own
// because the UI thread, once retired, cannot be started again.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <thread>

#include "platform/system/threads.h"
#include "platform/ui/automation/automation.h"
#include "platform/ui/message/message.h"
#include "platform/ui/thread/ui_thread.h"
#include "platform/ui/window/window.h"

namespace qm::ui {
namespace {

std::promise<std::thread::id>* handled = nullptr;
std::atomic<int>* handledCount = nullptr;

LRESULT moduleWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER && handled) {
        handled->set_value(std::this_thread::get_id());
        handled = nullptr;
        return 0;
    }
    if (message == WM_APP && handledCount) {
        ++*handledCount;
        return 0;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

HWND showModuleWindow()
{
    WNDCLASS wc;
    wc.lpfnWndProc = moduleWindowProc;
    wc.lpszClassName = "QmModuleWindow";
    if (RegisterClass(&wc) == 0)
        return nullptr;
    return CreateWindowEx(0, "QmModuleWindow", "panel", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, 0, nullptr,
                          nullptr);
}

// Runs the body in a child process of its own (the UI thread cannot be
// started twice in one process) and says whether the child exited with 0
// within the deadline; a child still running then is killed.
bool childSucceeds(const std::function<int()>& body, std::chrono::seconds deadline = std::chrono::seconds(10))
{
    if (uiThreadRunning())
        return false;  // a process that forks keeps to one thread
    const pid_t child = fork();
    if (child == -1)
        return false;
    if (child == 0)
        _exit(body());
    const auto end = std::chrono::steady_clock::now() + deadline;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Shows a module window, painted at once, so that the UI thread it starts
// soon has nothing to do.
bool startUiThread()
{
    {
        qm::sys::ModuleEntryGuard entry;
        HWND hwnd = showModuleWindow();
        if (!hwnd || !uiThreadRunning())
            return false;
        UpdateWindow(hwnd);
    }
    return automation::runOnUiThread([] {}, 5000);
}

// The thread is told to retire while it looks for work (between its look at
// the retire flag and its wait): it must still stop.
TEST(UiThread, RetiresWhenToldWhileLookingForWork)
{
    EXPECT_TRUE(childSucceeds([] {
        if (!startUiThread())
            return 2;
        // A task runs inside the thread's look for messages.
        if (!automation::runOnUiThread([] { hostPumpsMessages(); }, 5000))
            return 3;
        for (int i = 0; i < 500 && uiThreadRunning(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return uiThreadRunning() ? 1 : 0;
    }));
}

// The host exits while the thread is busy with a task: the exit must not
// wait for ever on a thread that missed being told to stop.
TEST(UiThread, AHostThatExitsWhileTheThreadIsBusyIsNotHeldUp)
{
    EXPECT_TRUE(childSucceeds([] {
        if (!startUiThread())
            return 2;
        static std::atomic<bool> busy{false};
        automation::runOnUiThread(
            [] {
                busy = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the host exits meanwhile
            },
            0);
        while (!busy)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::exit(0);
    }));
}

// A host that pumps must see every message another thread posts, however
// the post falls against its look at the queue.
TEST(UiThread, AHostThatPumpsMissesNoMessagePostedFromAnotherThread)
{
    EXPECT_TRUE(childSucceeds([] {
        hostPumpsMessages();
        HWND hwnd = showModuleWindow();
        if (!hwnd)
            return 2;
        static std::atomic<int> received{0};
        handledCount = &received;
        constexpr int posts = 20000;
        std::atomic<bool> lost{false};
        std::thread poster([&] {
            for (int i = 1; i <= posts && !lost; ++i) {
                PostMessage(hwnd, WM_APP, 0, 0);
                const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
                while (received < i && !lost)
                    lost = std::chrono::steady_clock::now() > deadline;
            }
            PostQuitMessage(0);  // from this thread, to end the host's loop below
        });
        MSG msg;
        while (GetMessage(&msg, nullptr, 0, 0) > 0)
            DispatchMessage(&msg);
        poster.join();
        return lost ? 1 : 0;
    }, std::chrono::seconds(60)));
}

TEST(UiThread, PumpsForAHostThatDoesNot)
{
    std::promise<std::thread::id> seen;
    auto handledOn = seen.get_future();
    {
        // As a module entry (DS_Entry) does on the application's thread.
        qm::sys::ModuleEntryGuard entry;
        EXPECT_FALSE(uiThreadRunning());  // nothing started before a window shows
        HWND hwnd = showModuleWindow();
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
