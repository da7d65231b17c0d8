// Shared fixture for the user-interface tests: the host pumps (the test
// thread), every test starts and ends with no windows and an empty queue.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/automation/automation.h"
#include "platform/ui/dialogs/dialog.h"
#include "platform/ui/gdi/gdi.h"
#include "platform/ui/input/input.h"
#include "platform/ui/message/message.h"
#include "platform/ui/thread/ui_thread.h"
#include "platform/ui/window/window.h"

namespace qm::ui::test {

struct Logged {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A window class that records every message it gets.
class Recorder {
public:
    static constexpr const char* kClass = "QmTestRecorder";
    static std::vector<Logged>& log();
    static void registerClass();
    // Messages of one kind, in order.
    static std::vector<Logged> only(UINT message);
    static std::vector<UINT> sequence(HWND hwnd, std::initializer_list<UINT> interesting);
    static HWND create(DWORD style, RECT r, HWND parent = nullptr, int id = 0);
};

class UiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace qm::ui::test
