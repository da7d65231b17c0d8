#include "platform/ui/thread/ui_thread.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/system/threads.h"
#include "platform/ui/automation/script.h"
#include "platform/ui/core/window_system.h"
#include "platform/ui/message/messages.h"
#include "platform/ui/message/pump_internal.h"
#include "platform/ui/message/queue.h"

namespace qm::ui {
namespace detail {
namespace {

std::atomic<bool> hostSeen{false};
std::atomic<bool> retire{false};
std::atomic<bool> running{false};
std::thread* uiThread = nullptr;
std::atomic<std::thread::id> uiThreadId{};
thread_local bool nonHostThread = false;

bool retired(void*) { return retire.load(); }

// A host's loop that ends once the thread is retired; a quit message belongs
// to a host that pumps and is left alone.
void uiLoop()
{
    uiThreadId = std::this_thread::get_id();
    MSG msg;
    while (getMessageUntil(&msg, retired, nullptr) >= 0) {
        if (msg.message == WM_QUIT)
            continue;
        UiLock lock;
        dispatchAsHost(&msg);
    }
    running = false;
}

void stopAtExit()
{
    retire = true;
    messageQueue().wake();
    if (uiThread && uiThread->joinable() && uiThread->get_id() != std::this_thread::get_id())
        uiThread->join();
}

// The thread runs this library's code; keep it mapped even when the modules
// that brought it in are unloaded.
void pinLibrary()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&uiLoop), &info) && info.dli_fname)
        dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

}  // namespace

void markThreadAsNonHost() { nonHostThread = true; }

void noteHostCall()
{
    if (nonHostThread || qm::sys::moduleEntryDepth() != 0 || std::this_thread::get_id() == uiThreadId.load())
        return;
    if (!hostSeen.exchange(true) && running.load()) {
        retire = true;
        messageQueue().wake();
    }
}

void noteTopLevelShown()
{
    startScriptFromEnvironment();
    if (hostSeen.load() || running.load() || uiThread)
        return;
    if (const char* env = std::getenv("QM4200_UI_THREAD"); env && std::strcmp(env, "0") == 0)
        return;
    pinLibrary();
    running = true;
    uiThread = new std::thread(uiLoop);
    std::atexit(stopAtExit);
}

}  // namespace detail

void hostPumpsMessages()
{
    detail::hostSeen = true;
    if (detail::running.load()) {
        detail::retire = true;
        detail::messageQueue().wake();
    }
}

bool uiThreadRunning() { return detail::running.load(); }

}  // namespace qm::ui
