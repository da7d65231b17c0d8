// The panel's binding back to the data source: a second reference to the
// already loaded source file and its AcquireEntry, through which the panel
// says that the user started a transfer or left.
#pragma once

#include "datasource/acquire_entry.h"
#include "platform/system/library.h"

namespace qm::panel {

class AcquireLink {
public:
    AcquireLink() = default;
    ~AcquireLink() { unbind(); }
    AcquireLink(const AcquireLink&) = delete;
    AcquireLink& operator=(const AcquireLink&) = delete;

    bool bind(const char* path);
    void unbind();
    bool bound() const { return entry_ != nullptr; }

    bool notifyCloseRequest() const { return notify(ds::ACQUIRE_CLOSEDSREQ); }
    bool notifyTransferReady() const { return notify(ds::ACQUIRE_XFERREADY); }

private:
    bool notify(std::uint32_t code) const;

    sys::HMODULE library_ = nullptr;
    ds::AcquireEntryProc entry_ = nullptr;
};

}  // namespace qm::panel
