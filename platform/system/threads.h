// Thread priorities (best effort: lowering always works, raising needs a
// privilege the process may not have) and the module lock.
#pragma once

#include <mutex>

namespace qm::sys {

inline constexpr int THREAD_PRIORITY_IDLE = -15;
inline constexpr int THREAD_PRIORITY_LOWEST = -2;
inline constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
inline constexpr int THREAD_PRIORITY_NORMAL = 0;
inline constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
inline constexpr int THREAD_PRIORITY_HIGHEST = 2;
inline constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;

// Applies to the calling thread. Returns false when the system refused the
// scheduling change; the requested priority is still what
// GetThreadPriority reports, as callers only compare it with what they set.
bool SetThreadPriority(int priority);
int GetThreadPriority();

// The user-mode modules expect to run on one thread at a time. When the host
// application does not pump window messages itself, a UI thread does, and this
// one recursive lock, taken by every module entry and by the pump, keeps
// module code single-threaded (the modules call each other on one thread).
std::recursive_mutex& moduleLock();

// How many module entries the calling thread is inside. The window system
// tells a host's own calls (depth 0) from calls that module code makes.
int moduleEntryDepth();
void enterModuleEntry();
void leaveModuleEntry();

class ModuleEntryGuard {
public:
    ModuleEntryGuard() : guard_(moduleLock()) { enterModuleEntry(); }
    ~ModuleEntryGuard() { leaveModuleEntry(); }
    ModuleEntryGuard(const ModuleEntryGuard&) = delete;
    ModuleEntryGuard& operator=(const ModuleEntryGuard&) = delete;

private:
    std::lock_guard<std::recursive_mutex> guard_;
};

}  // namespace qm::sys
