#include "platform/kernel/irql.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/kernel/detail/scheduler.h"

namespace qm::kernel {

namespace {

std::mutex& handlerLock()
{
    static std::mutex lock;
    return lock;
}

sim::BugCheckHandler& handler()
{
    static sim::BugCheckHandler instance;
    return instance;
}

}  // namespace

KIRQL KeGetCurrentIrql() { return detail::currentThread().irql; }

void KeRaiseIrql(KIRQL newIrql, PKIRQL oldIrql)
{
    KIRQL& current = detail::currentThread().irql;
    if (oldIrql != nullptr)
        *oldIrql = current;
    if (newIrql < current) {
        KeBugCheckEx(IRQL_NOT_GREATER_OR_EQUAL, current, newIrql, 0, 0);
        return;
    }
    current = newIrql;
}

void KeLowerIrql(KIRQL newIrql)
{
    KIRQL& current = detail::currentThread().irql;
    if (newIrql > current) {
        KeBugCheckEx(IRQL_NOT_LESS_OR_EQUAL, current, newIrql, 0, 0);
        return;
    }
    current = newIrql;
}

KIRQL KeRaiseIrqlToDpcLevel()
{
    KIRQL old;
    KeRaiseIrql(DISPATCH_LEVEL, &old);
    return old;
}

void KeBugCheckEx(ULONG code, ULONG_PTR parameter1, ULONG_PTR parameter2, ULONG_PTR parameter3,
                  ULONG_PTR parameter4)
{
    sim::BugCheck check{code, {parameter1, parameter2, parameter3, parameter4}};
    sim::BugCheckHandler installed;
    {
        std::lock_guard<std::mutex> guard(handlerLock());
        installed = handler();
    }
    if (installed) {
        installed(check);
        return;
    }
    std::fprintf(stderr, "*** STOP: 0x%08X (0x%zX, 0x%zX, 0x%zX, 0x%zX)\n", code, std::size_t(parameter1),
                 std::size_t(parameter2), std::size_t(parameter3), std::size_t(parameter4));
    std::abort();
}

namespace sim {

void setBugCheckHandler(BugCheckHandler newHandler)
{
    std::lock_guard<std::mutex> guard(handlerLock());
    handler() = std::move(newHandler);
}

}  // namespace sim

}  // namespace qm::kernel
