// A master clock that a stream can be given (SRB_INDICATE_MASTER_CLOCK).
// Its stream time runs with the kernel clock from the moment it is created
// or set, in 100-ns units; minidrivers read it with
// StreamClassQueryMasterClockSync.
#pragma once

#include "platform/kernel/nt_types.h"

namespace qm::streamclass {

using qm::kernel::HANDLE;
using qm::kernel::LONGLONG;

class MasterClock {
public:
    MasterClock();
    ~MasterClock();
    MasterClock(const MasterClock&) = delete;
    MasterClock& operator=(const MasterClock&) = delete;

    LONGLONG streamTime() const;
    // The clock reads `time` now and runs on from there.
    void setTime(LONGLONG time);
    // What the request carries to the minidriver.
    HANDLE handle() const { return const_cast<MasterClock*>(this); }

    // The clock a handle stands for; null for unknown handles.
    static const MasterClock* fromHandle(HANDLE handle);

private:
    LONGLONG origin_;  // kernel interrupt time at stream time 0
};

}  // namespace qm::streamclass
