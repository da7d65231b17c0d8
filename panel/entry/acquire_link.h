// The panel's binding back to the data source: a second reference to the
// already loaded source file and its AcquireEntry, through which the panel
// says that the user started a transfer or left.
#pragma once

#include "datasource/acquire_entry.h"
#include "panel/entry/library_binding.h"

namespace qm::panel {

class AcquireLink {
public:
    bool bind(const char* path) { return binding_.bind(path, ds::kAcquireEntryName); }
    void unbind() { binding_.unbind(); }
    bool bound() const { return binding_.entry() != nullptr; }

    bool notifyCloseRequest() const { return notify(ds::ACQUIRE_CLOSEDSREQ); }
    bool notifyTransferReady() const { return notify(ds::ACQUIRE_XFERREADY); }

private:
    bool notify(std::uint32_t code) const;

    LibraryBinding<ds::AcquireEntryProc> binding_;
};

}  // namespace qm::panel
