#include "platform/system/threads.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace qm::sys {
namespace {

thread_local int currentPriority = THREAD_PRIORITY_NORMAL;
thread_local int entryDepth = 0;

int niceFor(int priority)
{
    if (priority <= THREAD_PRIORITY_IDLE)
        return 19;
    if (priority >= THREAD_PRIORITY_TIME_CRITICAL)
        return -20;
    return -5 * priority;  // -2..2 -> 10..-10
}

}  // namespace

bool SetThreadPriority(int priority)
{
    currentPriority = priority;
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    return ::setpriority(PRIO_PROCESS, tid, niceFor(priority)) == 0;
}

int GetThreadPriority() { return currentPriority; }

std::recursive_mutex& moduleLock()
{
    static std::recursive_mutex lock;
    return lock;
}

int moduleEntryDepth() { return entryDepth; }
void enterModuleEntry() { ++entryDepth; }
void leaveModuleEntry() { --entryDepth; }

}  // namespace qm::sys
