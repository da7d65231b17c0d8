// The application's message loop on the window system. Every message is
// first offered to the source (MSG_PROCESSEVENT): the panel's keyboard
// navigation and the source manager's held notifications come back that way,
// and what the source hands back in TWMessage drives the acquisition;
// everything else is translated and dispatched as in any windowed
// application. The source manager's callback, which may run on whatever
// thread the source's panel runs on, posts a wake-up message so the loop
// offers the held notification at once.
#pragma once

#include <chrono>
#include <functional>

#include "apps/acquire/source_manager_client.h"
#include "platform/ui/types.h"

namespace qm::acquire {

enum class LoopEnd { CloseRequested, TimedOut, Quit };

class MessageLoop {
public:
    explicit MessageLoop(SourceManagerClient& client) : client_(client) {}

    // Asks the source manager to call back; without it the loop polls.
    bool attach();

    // Runs until the source asks to be closed, calling onTransferReady for
    // each transfer-ready notification. With a limit, gives up when nothing
    // arrived from the source for that long.
    LoopEnd run(const std::function<void()>& onTransferReady, std::chrono::milliseconds idleLimit);

private:
    SourceManagerClient& client_;
    bool callbackRegistered_ = false;
};

}  // namespace qm::acquire
