#include "panel/entry/acquire_link.h"

namespace qm::panel {

bool AcquireLink::notify(std::uint32_t code) const
{
    const ds::AcquireEntryProc entry = binding_.entry();
    return entry != nullptr && (entry(code, 0, 0, 0) & 0xFF) == 1;
}

}  // namespace qm::panel
