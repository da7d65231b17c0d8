#include "platform/comm/read_plan.h"

namespace qm::comm {

ReadPlan planRead(const COMMTIMEOUTS& t, DWORD toRead)
{
    ReadPlan plan;
    if (t.ReadIntervalTimeout == MAXDWORD) {
        const bool constantSet = t.ReadTotalTimeoutConstant != MAXDWORD;
        if (t.ReadTotalTimeoutConstant == 0 && t.ReadTotalTimeoutMultiplier == 0) {
            plan.returnWhatIsThere = true;
        } else if (constantSet && t.ReadTotalTimeoutMultiplier != MAXDWORD) {
            plan.returnIfAnyThere = true;
            plan.totalMs = std::uint64_t(t.ReadTotalTimeoutMultiplier) * toRead + t.ReadTotalTimeoutConstant;
        } else if (constantSet) {
            plan.returnIfAnyThere = true;
            plan.oneByteEnds = true;
            plan.totalMs = t.ReadTotalTimeoutConstant;
        }
        // Any other combination with a MAXDWORD interval waits without limit.
        return plan;
    }
    if (t.ReadIntervalTimeout != 0)
        plan.intervalMs = t.ReadIntervalTimeout;
    if (t.ReadTotalTimeoutMultiplier != 0 || t.ReadTotalTimeoutConstant != 0)
        plan.totalMs = std::uint64_t(t.ReadTotalTimeoutMultiplier) * toRead + t.ReadTotalTimeoutConstant;
    return plan;
}

std::optional<std::uint64_t> writeLimitMs(const COMMTIMEOUTS& t, DWORD toWrite)
{
    if (t.WriteTotalTimeoutMultiplier == 0 && t.WriteTotalTimeoutConstant == 0)
        return std::nullopt;
    return std::uint64_t(t.WriteTotalTimeoutMultiplier) * toWrite + t.WriteTotalTimeoutConstant;
}

}  // namespace qm::comm
