// The ordered list of session classes and the connect passes over it: the
// class that connected last ("Camera Type" in KVB.ini) is tried first, then
// every other one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "device/entry/driver_entry.h"
#include "device/entry/runtime_class.h"

namespace qm::device {

class CProxy;
struct SessionContext;

class SessionRegistry {
public:
    void add(const RuntimeClass& sessionClass) { classes_.push_back(&sessionClass); }
    std::size_t size() const { return classes_.size(); }
    const RuntimeClass& at(std::size_t index) const { return *classes_.at(index); }

    // Creates a session of each class in pass order and opens it with the
    // caller's arguments. The first that opens is returned and its index
    // stored as "Camera Type"; the others are destroyed. Null when none opens.
    std::unique_ptr<CProxy> connect(SessionContext& context, void* code, std::uint32_t* pictureCount,
                                    DriverProgressProc progress) const;

    // Indices in the order connect() tries them for a stored "Camera Type".
    std::vector<std::size_t> passOrder(int cameraType) const;

private:
    std::vector<const RuntimeClass*> classes_;
};

}  // namespace qm::device
