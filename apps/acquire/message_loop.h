// The application's message loop. Every message is first offered to the
// source (MSG_PROCESSEVENT); what the source hands back in TWMessage drives
// the acquisition. Until the window system is wired in, the loop's messages
// come from the source manager: its callback wakes the loop, and each
// wake-up is offered like a window message, which is how the notification
// the manager holds reaches the application. getMessage and dispatchMessage
// are the two steps a window system's GetMessage and DispatchMessage take
// over.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "apps/acquire/source_manager_client.h"

namespace qm::acquire {

// The shape of a window message; stands in for the window system's MSG.
struct WindowMessage {
    void* window = nullptr;
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::uintptr_t lParam = 0;
};

enum class LoopEnd { CloseRequested, TimedOut };

class MessageLoop {
public:
    explicit MessageLoop(SourceManagerClient& client) : client_(client) {}

    // Asks the source manager to call back; without it the loop polls.
    bool attach();

    // Runs until the source asks to be closed, calling onTransferReady for
    // each transfer-ready notification. With a limit, gives up when nothing
    // arrived for that long.
    LoopEnd run(const std::function<void()>& onTransferReady, std::chrono::milliseconds idleLimit);

private:
    // Waits for the next message; false when the idle limit passed first.
    bool getMessage(WindowMessage& message, std::chrono::steady_clock::time_point deadline);
    void dispatchMessage(const WindowMessage& message);

    SourceManagerClient& client_;
    bool callbackRegistered_ = false;
};

}  // namespace qm::acquire
