// Interrupt request levels, kept per thread. Threads start at passive level;
// the timer thread runs DPCs and the bus thread runs transfer completions at
// dispatch level, worker threads run work items at passive level. Breaking a
// level rule stops the system with a bug check, as the kernel would.
#pragma once

#include <functional>

#include "platform/kernel/nt_types.h"

namespace qm::kernel {

using KIRQL = UCHAR;
using PKIRQL = KIRQL*;

inline constexpr KIRQL PASSIVE_LEVEL = 0;
inline constexpr KIRQL LOW_LEVEL = 0;
inline constexpr KIRQL APC_LEVEL = 1;
inline constexpr KIRQL DISPATCH_LEVEL = 2;
inline constexpr KIRQL HIGH_LEVEL = 31;

KIRQL KeGetCurrentIrql();
// Raising to a lower level, or lowering to a higher one, is a bug check.
void KeRaiseIrql(KIRQL newIrql, PKIRQL oldIrql);
void KeLowerIrql(KIRQL newIrql);
KIRQL KeRaiseIrqlToDpcLevel();

// Bug check codes the stand-ins raise.
inline constexpr ULONG IRQL_NOT_GREATER_OR_EQUAL = 0x09;
inline constexpr ULONG IRQL_NOT_LESS_OR_EQUAL = 0x0A;
inline constexpr ULONG SPIN_LOCK_ALREADY_OWNED = 0x0F;
inline constexpr ULONG SPIN_LOCK_NOT_OWNED = 0x10;
inline constexpr ULONG BAD_POOL_HEADER = 0x19;
inline constexpr ULONG NO_MORE_IRP_STACK_LOCATIONS = 0x35;
inline constexpr ULONG MULTIPLE_IRP_COMPLETE_REQUESTS = 0x44;
inline constexpr ULONG WORKER_THREAD_RETURNED_AT_BAD_IRQL = 0xE1;
inline constexpr ULONG IRQL_UNEXPECTED_VALUE = 0xC8;
inline constexpr ULONG BAD_POOL_CALLER = 0xC2;
inline constexpr ULONG DRIVER_CORRUPTED_EXPOOL = 0xC5;
inline constexpr ULONG SEMAPHORE_LIMIT_EXCEEDED = 0x47;  // the release that would pass the limit
inline constexpr ULONG MUTEX_NOT_OWNED = 0x46;
inline constexpr ULONG TIMER_OR_DPC_INVALID = 0xC7;

// Stops the system: by default prints the code and parameters and aborts the
// process. A test may install a handler instead (sim::setBugCheckHandler);
// when it returns, the call that broke the rule is refused and nothing else
// happens.
void KeBugCheckEx(ULONG code, ULONG_PTR parameter1, ULONG_PTR parameter2, ULONG_PTR parameter3,
                  ULONG_PTR parameter4);

namespace sim {

struct BugCheck {
    ULONG code = 0;
    ULONG_PTR parameters[4] = {};
};
using BugCheckHandler = std::function<void(const BugCheck&)>;
// Null restores the default (print and abort).
void setBugCheckHandler(BugCheckHandler handler);

}  // namespace sim

}  // namespace qm::kernel
